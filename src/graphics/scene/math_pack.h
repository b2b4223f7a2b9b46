// Small vector and matrix library of the scene (unit s_MathPack; plain global names like the
// other graphics units).
// Matrices are 4 x 4 single precision, stored row by row like a Direct3D 9 matrix; vectors are
// row vectors multiplied on the left (v' = v x M), so the translation sits in the fourth row and
// A x B applies A first, then B. Sums and products are formed in double precision and each
// stored result is rounded to float once.
#pragma once

struct TVec2 {
  float X, Y;
};

struct TVec3 {
  float X, Y, Z;
};

struct TVec4 {
  float X, Y, Z, W;
};

// m[row][column]: m[0][0] is _11, m[3][0..2] is the translation (_41, _42, _43).
struct TMatrix {
  float m[4][4];
};

struct TMatrix3x3 {
  float m[3][3];
};

// The unit's identity constant; callers copy it where they need a fresh matrix.
extern const TMatrix IdentityMatrix;

TVec2 MakeVec2(float x, float y);
TVec3 MakeVec3(float x, float y, float z);
TVec4 Vec3ToVec4(const TVec3& v);  // W = 1

// C = A x B. Returned by value, so the result may safely replace either input.
TMatrix MatrixMultiply(const TMatrix& a, const TMatrix& b);

// r[j] = v.X M[1][j] + v.Y M[2][j] + v.Z M[3][j] + v.W M[4][j].
TVec4 Vec4Transform(const TVec4& v, const TMatrix& m);

// (X/W, Y/W, Z/W, 1/W). With W = 0 nothing is written to result and false is returned.
bool HomogeneousDivide(const TVec4& v, TVec4& result);

// ---- Specified by the design, not used by the game ---------------------------------------------
// The unit's operations for the scene's frame and billboard paths, which the game never takes;
// the tests use TransformPoint to check the products.

TVec3 Vec3Add(const TVec3& a, const TVec3& b);

// The point (X, Y, Z, 1) through M, without the divide.
TVec3 TransformPoint(const TVec3& v, const TMatrix& m);

// Inverse of a rotation-plus-translation matrix (transpose of the rotation, rotated and negated
// translation). Meaningless for matrices with scale or shear, as for any rigid-only inverse.
TMatrix InvertRigid(const TMatrix& m);

TMatrix3x3 Matrix3x3Of(const TMatrix& m);
float Determinant3x3(const TMatrix3x3& m);
