// Where the GL puts a vertex, worked out on the CPU with the GL's own steps.
//
// Mesa (llvmpipe here) keeps the model-view matrix in single precision,
// builds it with the same formulas as below for glLoadIdentity,
// glTranslatef, glRotatef and glScalef, multiplies the projection by it,
// and its vertex shader forms each clip coordinate as a chain of products
// and sums, each rounded in turn. Doing the very same operations in the
// same order gives clip coordinates equal to the last bit, so the pictures
// of many draws can be sent in one vertex array (with both GL matrices set
// to the identity) and land on exactly the pixels their own draws would
// cover. The golden drawing test checks this against the GL itself.
#pragma once

// A 4x4 matrix in the GL's column-major order: element (row, col) is m[col * 4 + row].
struct GlMatrix {
    float m[16];
};

// The identity, as glLoadIdentity leaves the matrix.
GlMatrix identityMatrix();
// m times a translation, as glTranslatef(x, y, z) leaves it.
void translateMatrix(GlMatrix& m, float x, float y, float z);
// m times a turn of degrees about the z axis, as glRotatef(degrees, 0, 0, 1)
// leaves it (a zero angle leaves it untouched, as in the GL).
void rotateMatrixZ(GlMatrix& m, float degrees);
// m times a scaling, as glScalef(x, y, z) leaves it.
void scaleMatrix(GlMatrix& m, float x, float y, float z);
// a times b, as the GL forms the model-view-projection product.
GlMatrix multiplyMatrices(const GlMatrix& a, const GlMatrix& b);

// Clip coordinates (x, y, z, w) of the vertex (x, y, 0, 1) under the
// model-view-projection matrix mvp, as the vertex shader forms them.
void clipPosition(const GlMatrix& mvp, float x, float y, float* clip);
