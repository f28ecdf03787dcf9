#include "support/data/VertexArrays.h"

#include "support/memory/MemoryPool.h"

#include <cmath>

namespace {

Vector3* AllocateArray(const VertexArrayObject& record)
{
    return static_cast<Vector3*>(MemoryAlloc(static_cast<std::uint32_t>(sizeof(Vector3) * record.Header->nVertices())));
}

// Adds the face's cross product to each of its distinct corners. One pass over the triangles gives every vertex
// the same additions, in the same order, as testing every triangle against every vertex would.
template <typename Triangle>
void AddFaceNormals(const Triangle* triangles, int count, const Vector3* p, Vector3* normals)
{
    for (int t = 0; t < count; ++t) {
        const Triangle& triangle = triangles[t];
        const int i0 = triangle.i0(), i1 = triangle.i1(), i2 = triangle.i2();
        const Vector3 e = {p[i1].x - p[i0].x, p[i1].y - p[i0].y, p[i1].z - p[i0].z};
        const Vector3 f = {p[i2].x - p[i0].x, p[i2].y - p[i0].y, p[i2].z - p[i0].z};
        const Vector3 n = {e.y * f.z - e.z * f.y, e.z * f.x - e.x * f.z, e.x * f.y - e.y * f.x};
        const int corners[3] = {i0, i1, i2};
        for (int c = 0; c < 3; ++c) {
            if ((c >= 1 && corners[c] == corners[0]) || (c == 2 && corners[2] == corners[1]))
                continue; // a triangle counts once for a vertex it names twice
            Vector3& sum = normals[corners[c]];
            sum.x += n.x;
            sum.y += n.y;
            sum.z += n.z;
        }
    }
}

} // namespace

Vector3* ObjectMakeVertexArray(const VertexArrayObject* record, float scale)
{
    if (record == nullptr)
        return nullptr;
    Vector3* vertices = AllocateArray(*record);
    if (vertices == nullptr)
        return nullptr;
    const int count = record->Header->nVertices();
    for (int k = 0; k < count; ++k) {
        vertices[k] = {static_cast<float>(ObjectVertexCoordinate(*record, k, 0)) * scale,
                       static_cast<float>(ObjectVertexCoordinate(*record, k, 1)) * scale,
                       static_cast<float>(ObjectVertexCoordinate(*record, k, 2)) * scale};
    }
    return vertices;
}

Vector3* ObjectMakeNormalArray(const VertexArrayObject* record, const Vector3* vertices)
{
    if (record == nullptr || vertices == nullptr)
        return nullptr;
    Vector3* normals = AllocateArray(*record);
    if (normals == nullptr)
        return nullptr;
    const int count = record->Header->nVertices();
    for (int k = 0; k < count; ++k)
        normals[k] = {0.0f, 0.0f, 0.0f};
    AddFaceNormals(record->offColTrigs, record->Header->nColTrigs(), vertices, normals);
    AddFaceNormals(record->offTxtTrigs, record->Header->nTxtTrigs(), vertices, normals);
    for (int k = 0; k < count; ++k) {
        Vector3& n = normals[k];
        const float squared = n.x * n.x + n.y * n.y + n.z * n.z;
        const float length = static_cast<float>(std::sqrt(static_cast<double>(squared)));
        if (length == 0.0f)
            continue;
        const float r = 1.0f / length;
        n = {n.x * r, n.y * r, n.z * r};
    }
    return normals;
}
