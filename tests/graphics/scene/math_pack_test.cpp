#include "graphics/scene/math_pack.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

TMatrix Translation(float x, float y, float z) {
  TMatrix t = IdentityMatrix;
  t.m[3][0] = x;
  t.m[3][1] = y;
  t.m[3][2] = z;
  return t;
}

// Rotation about an arbitrary unit axis (Rodrigues), laid out for row vectors.
TMatrix Rotation(double ax, double ay, double az, double angle) {
  const double len = std::sqrt(ax * ax + ay * ay + az * az);
  ax /= len, ay /= len, az /= len;
  const double c = std::cos(angle), s = std::sin(angle), t = 1 - c;
  const double col[3][3] = {{t * ax * ax + c, t * ax * ay - s * az, t * ax * az + s * ay},
                            {t * ax * ay + s * az, t * ay * ay + c, t * ay * az - s * ax},
                            {t * ax * az - s * ay, t * ay * az + s * ax, t * az * az + c}};
  TMatrix r = IdentityMatrix;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) r.m[i][j] = static_cast<float>(col[j][i]);  // transpose
  return r;
}

void ExpectMatrixNear(const TMatrix& a, const TMatrix& b, float tolerance) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_NEAR(a.m[i][j], b.m[i][j], tolerance) << i << "," << j;
}

TMatrix RandomMatrix(std::mt19937& rng) {
  std::uniform_real_distribution<float> d(-10.f, 10.f);
  TMatrix m;
  for (auto& row : m.m)
    for (float& v : row) v = d(rng);
  return m;
}

}  // namespace

TEST(MathPack, IdentityIsNeutralForMultiply) {
  std::mt19937 rng(7);
  for (int n = 0; n < 20; ++n) {
    const TMatrix m = RandomMatrix(rng);
    ExpectMatrixNear(MatrixMultiply(IdentityMatrix, m), m, 0.0f);
    ExpectMatrixNear(MatrixMultiply(m, IdentityMatrix), m, 0.0f);
  }
}

TEST(MathPack, MultiplyAppliesLeftOperandFirst) {
  // Rotate a quarter turn about Z, then move by (5, 0, 0): (1,0,0) -> (0,1,0) -> (5,1,0).
  const TMatrix rotate = Rotation(0, 0, 1, M_PI / 2);
  const TMatrix both = MatrixMultiply(rotate, Translation(5, 0, 0));
  const TVec3 p = TransformPoint(MakeVec3(1, 0, 0), both);
  EXPECT_NEAR(p.X, 5.0f, 1e-6f);
  EXPECT_NEAR(p.Y, 1.0f, 1e-6f);
  EXPECT_NEAR(p.Z, 0.0f, 1e-6f);
  // The other order moves first: (6,0,0) rotated -> (0,6,0).
  const TVec3 q = TransformPoint(MakeVec3(1, 0, 0), MatrixMultiply(Translation(5, 0, 0), rotate));
  EXPECT_NEAR(q.X, 0.0f, 1e-5f);
  EXPECT_NEAR(q.Y, 6.0f, 1e-5f);
}

TEST(MathPack, MultiplyResultMayReplaceAnInput) {
  std::mt19937 rng(11);
  TMatrix a = RandomMatrix(rng);
  const TMatrix b = RandomMatrix(rng);
  const TMatrix expected = MatrixMultiply(a, b);
  a = MatrixMultiply(a, b);
  ExpectMatrixNear(a, expected, 0.0f);
}

TEST(MathPack, TransformsAgreeAndOriginGivesTranslationRow) {
  std::mt19937 rng(3);
  const TMatrix m = RandomMatrix(rng);
  const TVec3 origin = TransformPoint(MakeVec3(0, 0, 0), m);
  EXPECT_EQ(origin.X, m.m[3][0]);
  EXPECT_EQ(origin.Y, m.m[3][1]);
  EXPECT_EQ(origin.Z, m.m[3][2]);

  const TVec3 v = MakeVec3(1.5f, -2.25f, 4.0f);
  const TVec3 p = TransformPoint(v, m);
  const TVec4 h = Vec4Transform(Vec3ToVec4(v), m);
  EXPECT_FLOAT_EQ(p.X, h.X);
  EXPECT_FLOAT_EQ(p.Y, h.Y);
  EXPECT_FLOAT_EQ(p.Z, h.Z);
  EXPECT_NEAR(h.W, 1.5 * m.m[0][3] - 2.25 * m.m[1][3] + 4.0 * m.m[2][3] + m.m[3][3], 1e-4);

  // A translation alone adds its row.
  const TVec3 moved = TransformPoint(v, Translation(0.5f, 1.0f, -3.0f));
  const TVec3 sum = Vec3Add(v, MakeVec3(0.5f, 1.0f, -3.0f));
  EXPECT_FLOAT_EQ(moved.X, sum.X);
  EXPECT_FLOAT_EQ(moved.Y, sum.Y);
  EXPECT_FLOAT_EQ(moved.Z, sum.Z);
}

TEST(MathPack, HomogeneousDivideAndZeroW) {
  TVec4 r{9, 9, 9, 9};
  ASSERT_TRUE(HomogeneousDivide(TVec4{2, 4, 6, 2}, r));
  EXPECT_FLOAT_EQ(r.X, 1.0f);
  EXPECT_FLOAT_EQ(r.Y, 2.0f);
  EXPECT_FLOAT_EQ(r.Z, 3.0f);
  EXPECT_FLOAT_EQ(r.W, 0.5f);

  TVec4 untouched{7, 8, 9, 10};
  EXPECT_FALSE(HomogeneousDivide(TVec4{1, 2, 3, 0}, untouched));
  EXPECT_EQ(untouched.X, 7.0f);
  EXPECT_EQ(untouched.W, 10.0f);
}

TEST(MathPack, InvertRigidUndoesRotationPlusTranslation) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> d(-3, 3);
  for (int n = 0; n < 20; ++n) {
    const TMatrix m = MatrixMultiply(Rotation(d(rng), d(rng), d(rng) + 0.1, d(rng)),
                                     Translation(float(d(rng)), float(d(rng)), float(d(rng))));
    ExpectMatrixNear(MatrixMultiply(InvertRigid(m), m), IdentityMatrix, 1e-5f);
    ExpectMatrixNear(MatrixMultiply(m, InvertRigid(m)), IdentityMatrix, 1e-5f);
  }
}

TEST(MathPack, Determinant3x3) {
  EXPECT_FLOAT_EQ(Determinant3x3(Matrix3x3Of(IdentityMatrix)), 1.0f);
  // A rotation keeps volume; a scale of (2, 3, 4) multiplies it by 24; swapping rows flips it.
  EXPECT_NEAR(Determinant3x3(Matrix3x3Of(Rotation(1, 2, 3, 0.7))), 1.0f, 1e-6f);
  TMatrix s = IdentityMatrix;
  s.m[0][0] = 2, s.m[1][1] = 3, s.m[2][2] = 4;
  s.m[3][0] = 100;  // the translation row is not part of the 3 x 3
  EXPECT_FLOAT_EQ(Determinant3x3(Matrix3x3Of(s)), 24.0f);
  TMatrix3x3 swapped = Matrix3x3Of(s);
  std::swap(swapped.m[0], swapped.m[1]);
  EXPECT_FLOAT_EQ(Determinant3x3(swapped), -24.0f);
}
