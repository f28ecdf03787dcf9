// The float arrays the renderer feeds to OpenGL, made from a loaded object (ObjectFormat.h) once per start.
//
// Both results are pool blocks of 12 x nVertices bytes, element k belonging to vertex k, owned by the caller:
// release them with MemoryFree. Deleting the object's module does not release them. Both return null for a null
// argument or an exhausted pool (nothing then stays allocated), and a valid empty block for an object with no
// vertices. Vertex indices are trusted here: the loader has already checked them.
#pragma once

#include "support/data/ObjectFormat.h"
#include "support/data/Vector3.h"

// Every vertex converted exactly to float and multiplied by `scale` in single precision.
Vector3* ObjectMakeVertexArray(const VertexArrayObject* record, float scale);

// Every vertex's unit normal: the sum of the cross products (P[i1] - P[i0]) x (P[i2] - P[i0]) of the faces around
// it (so each face weighs in with twice its area), coloured triangles first, then textured ones, in record order,
// then normalised (length via a double-precision square root). A vertex with no faces, or whose contributions
// cancel, keeps (0, 0, 0). `vertices` must be the array made from the same record.
Vector3* ObjectMakeNormalArray(const VertexArrayObject* record, const Vector3* vertices);
