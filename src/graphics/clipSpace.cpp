// The GL's vertex arithmetic on the CPU. This file is built with contraction
// of products and sums turned off (see CMakeLists.txt): a fused multiply-add
// would round once where the GL rounds twice.
#include "graphics/clipSpace.h"

#include <cmath>

namespace {

// The bottom row is (0, 0, 0, 1): the GL then multiplies only the top three rows.
bool affine(const GlMatrix& a)
{
    return a.m[3] == 0.0f && a.m[7] == 0.0f && a.m[11] == 0.0f && a.m[15] == 1.0f;
}

} // namespace

GlMatrix identityMatrix()
{
    GlMatrix m{};
    m.m[0] = m.m[5] = m.m[10] = m.m[15] = 1.0f;
    return m;
}

void translateMatrix(GlMatrix& a, float x, float y, float z)
{
    float* m = a.m;
    m[12] = m[0] * x + m[4] * y + m[8] * z + m[12];
    m[13] = m[1] * x + m[5] * y + m[9] * z + m[13];
    m[14] = m[2] * x + m[6] * y + m[10] * z + m[14];
    m[15] = m[3] * x + m[7] * y + m[11] * z + m[15];
}

void rotateMatrixZ(GlMatrix& a, float degrees)
{
    if (degrees == 0.0f)
        return;
    // The angle goes to radians in double precision, then to single for the sine.
    const float s = std::sin(static_cast<float>(degrees * M_PI / 180.0));
    const float c = std::cos(static_cast<float>(degrees * M_PI / 180.0));
    GlMatrix turn = identityMatrix();
    turn.m[0] = c;
    turn.m[5] = c;
    turn.m[4] = -s;
    turn.m[1] = s;
    a = multiplyMatrices(a, turn);
}

void scaleMatrix(GlMatrix& a, float x, float y, float z)
{
    float* m = a.m;
    m[0] *= x;
    m[4] *= y;
    m[8] *= z;
    m[1] *= x;
    m[5] *= y;
    m[9] *= z;
    m[2] *= x;
    m[6] *= y;
    m[10] *= z;
    m[3] *= x;
    m[7] *= y;
    m[11] *= z;
}

GlMatrix multiplyMatrices(const GlMatrix& a, const GlMatrix& b)
{
    const float* A = a.m;
    const float* B = b.m;
    GlMatrix p{};
    float* P = p.m;
    const bool threeRows = affine(a) && affine(b);
    for (int i = 0; i < (threeRows ? 3 : 4); i++) {
        const float ai0 = A[i], ai1 = A[4 + i], ai2 = A[8 + i], ai3 = A[12 + i];
        if (threeRows) {
            P[i] = ai0 * B[0] + ai1 * B[1] + ai2 * B[2];
            P[4 + i] = ai0 * B[4] + ai1 * B[5] + ai2 * B[6];
            P[8 + i] = ai0 * B[8] + ai1 * B[9] + ai2 * B[10];
            P[12 + i] = ai0 * B[12] + ai1 * B[13] + ai2 * B[14] + ai3;
        } else {
            P[i] = ai0 * B[0] + ai1 * B[1] + ai2 * B[2] + ai3 * B[3];
            P[4 + i] = ai0 * B[4] + ai1 * B[5] + ai2 * B[6] + ai3 * B[7];
            P[8 + i] = ai0 * B[8] + ai1 * B[9] + ai2 * B[10] + ai3 * B[11];
            P[12 + i] = ai0 * B[12] + ai1 * B[13] + ai2 * B[14] + ai3 * B[15];
        }
    }
    if (threeRows) {
        P[3] = P[7] = P[11] = 0.0f;
        P[15] = 1.0f;
    }
    return p;
}

void clipPosition(const GlMatrix& mvp, float x, float y, float* clip)
{
    const float* m = mvp.m;
    for (int row = 0; row < 4; row++) {
        // x, then y, then z (0), then w (1), each product added in turn.
        float sum = x * m[row];
        sum = y * m[4 + row] + sum;
        sum = 0.0f * m[8 + row] + sum;
        sum = 1.0f * m[12 + row] + sum;
        clip[row] = sum;
    }
}
