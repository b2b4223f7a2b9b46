#include "graphics/scene/math_pack.h"

const TMatrix IdentityMatrix = {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};

TVec2 MakeVec2(float x, float y) { return TVec2{x, y}; }

TVec3 MakeVec3(float x, float y, float z) { return TVec3{x, y, z}; }

TVec4 Vec3ToVec4(const TVec3& v) { return TVec4{v.X, v.Y, v.Z, 1.0f}; }

TVec3 Vec3Add(const TVec3& a, const TVec3& b) {
  return TVec3{static_cast<float>(double{a.X} + b.X), static_cast<float>(double{a.Y} + b.Y),
               static_cast<float>(double{a.Z} + b.Z)};
}

TMatrix MatrixMultiply(const TMatrix& a, const TMatrix& b) {
  TMatrix c;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += double{a.m[i][k]} * b.m[k][j];
      c.m[i][j] = static_cast<float>(sum);
    }
  }
  return c;
}

TVec4 Vec4Transform(const TVec4& v, const TMatrix& m) {
  const double in[4] = {v.X, v.Y, v.Z, v.W};
  float out[4];
  for (int j = 0; j < 4; ++j) {
    double sum = 0.0;
    for (int k = 0; k < 4; ++k) sum += in[k] * m.m[k][j];
    out[j] = static_cast<float>(sum);
  }
  return TVec4{out[0], out[1], out[2], out[3]};
}

TVec3 TransformPoint(const TVec3& v, const TMatrix& m) {
  float out[3];
  for (int j = 0; j < 3; ++j) {
    out[j] = static_cast<float>(double{v.X} * m.m[0][j] + double{v.Y} * m.m[1][j] +
                                double{v.Z} * m.m[2][j] + m.m[3][j]);
  }
  return TVec3{out[0], out[1], out[2]};
}

bool HomogeneousDivide(const TVec4& v, TVec4& result) {
  if (v.W == 0.0f) return false;
  const double r = 1.0 / double{v.W};
  result = TVec4{static_cast<float>(v.X * r), static_cast<float>(v.Y * r),
                 static_cast<float>(v.Z * r), static_cast<float>(r)};
  return true;
}

TMatrix InvertRigid(const TMatrix& m) {
  TMatrix n = IdentityMatrix;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) n.m[i][j] = m.m[j][i];
    n.m[i][3] = 0.0f;
  }
  for (int j = 0; j < 3; ++j) {
    n.m[3][j] = static_cast<float>(-(double{m.m[j][0]} * m.m[3][0] + double{m.m[j][1]} * m.m[3][1] +
                                     double{m.m[j][2]} * m.m[3][2]));
  }
  n.m[3][3] = 1.0f;
  return n;
}

TMatrix3x3 Matrix3x3Of(const TMatrix& m) {
  TMatrix3x3 r;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) r.m[i][j] = m.m[i][j];
  }
  return r;
}

float Determinant3x3(const TMatrix3x3& m) {
  const double a11 = m.m[0][0], a12 = m.m[0][1], a13 = m.m[0][2];
  const double a21 = m.m[1][0], a22 = m.m[1][1], a23 = m.m[1][2];
  const double a31 = m.m[2][0], a32 = m.m[2][1], a33 = m.m[2][2];
  return static_cast<float>(a11 * (a22 * a33 - a32 * a23) - a12 * (a21 * a33 - a31 * a23) +
                            a13 * (a21 * a32 - a31 * a22));
}
