// lattice-generator: writes the saver's lattice as a packed vertex-array object (resources/lattice.lzo).
//
// The lattice: on every axis, bars occupy the four bands -100..-87, -37..-25, 25..37 and 87..100, so 4 x 4 x 4
// joints are linked by bars along all three axes: 144 bar segments between joints. Only the four side faces of every
// segment are stored, each as a quad of two triangles that carry the quad's centre, wound counter-clockwise seen
// from outside the bar; the joints and the bars' outer ends have no faces. That gives 504 distinct vertices and
// 1,152 triangles, all in the colour (1.0, 0.85, 0.71). The data is packed with LZO1X-999, which is deterministic,
// so running the generator again reproduces the committed file byte for byte.
//
// Usage: lattice-generator OUTPUT
#include "support/data/BigEndian.h"

#include <lzo/lzo1x.h>

#include <array>
#include <cstdio>
#include <map>
#include <vector>

namespace {

using Point = std::array<int, 3>;

constexpr int kCoordinates[8] = {-100, -87, -37, -25, 25, 37, 87, 100};
constexpr float kColour[3] = {1.0f, 0.85f, 0.71f};

struct Triangle {
    int corner[3];
    Point centre;
};

struct Lattice {
    std::vector<Point> vertices;
    std::map<Point, int> indexOf;
    std::vector<Triangle> triangles;

    int vertex(const Point& p)
    {
        auto [it, added] = indexOf.emplace(p, static_cast<int>(vertices.size()));
        if (added)
            vertices.push_back(p);
        return it->second;
    }

    // A quad given as a loop of four corners, and the outward direction of its face.
    void addQuad(std::array<Point, 4> loop, const Point& outward)
    {
        const Point e = {loop[1][0] - loop[0][0], loop[1][1] - loop[0][1], loop[1][2] - loop[0][2]};
        const Point f = {loop[2][0] - loop[0][0], loop[2][1] - loop[0][1], loop[2][2] - loop[0][2]};
        const Point n = {e[1] * f[2] - e[2] * f[1], e[2] * f[0] - e[0] * f[2], e[0] * f[1] - e[1] * f[0]};
        if (n[0] * outward[0] + n[1] * outward[1] + n[2] * outward[2] < 0)
            std::swap(loop[1], loop[3]); // run the loop the other way round: counter-clockwise from outside
        Point centre{};
        for (int axis = 0; axis < 3; ++axis)
            centre[axis] = (loop[0][axis] + loop[1][axis] + loop[2][axis] + loop[3][axis]) / 4;
        int index[4];
        for (int c = 0; c < 4; ++c)
            index[c] = vertex(loop[c]);
        triangles.push_back({{index[0], index[1], index[2]}, centre});
        triangles.push_back({{index[0], index[2], index[3]}, centre});
    }
};

Lattice BuildLattice()
{
    Lattice lattice;
    for (int axis = 0; axis < 3; ++axis) {
        const int u = (axis + 1) % 3, v = (axis + 2) % 3;
        for (int bandU = 0; bandU < 4; ++bandU) {
            for (int bandV = 0; bandV < 4; ++bandV) {
                const int uLo = kCoordinates[2 * bandU], uHi = kCoordinates[2 * bandU + 1];
                const int vLo = kCoordinates[2 * bandV], vHi = kCoordinates[2 * bandV + 1];
                for (int segment = 0; segment < 3; ++segment) {
                    const int a0 = kCoordinates[2 * segment + 1], a1 = kCoordinates[2 * segment + 2];
                    auto at = [&](int a, int pu, int pv) {
                        Point p{};
                        p[axis] = a;
                        p[u] = pu;
                        p[v] = pv;
                        return p;
                    };
                    auto direction = [](int which, int sign) {
                        Point d{};
                        d[which] = sign;
                        return d;
                    };
                    lattice.addQuad({at(a0, uLo, vLo), at(a1, uLo, vLo), at(a1, uLo, vHi), at(a0, uLo, vHi)}, direction(u, -1));
                    lattice.addQuad({at(a0, uHi, vLo), at(a1, uHi, vLo), at(a1, uHi, vHi), at(a0, uHi, vHi)}, direction(u, +1));
                    lattice.addQuad({at(a0, uLo, vLo), at(a1, uLo, vLo), at(a1, uHi, vLo), at(a0, uHi, vLo)}, direction(v, -1));
                    lattice.addQuad({at(a0, uLo, vHi), at(a1, uLo, vHi), at(a1, uHi, vHi), at(a0, uHi, vHi)}, direction(v, +1));
                }
            }
        }
    }
    return lattice;
}

std::vector<std::uint8_t> Serialise(const Lattice& lattice)
{
    using inkspin::WriteBE16;
    const std::size_t size = 14 + 6 * lattice.vertices.size() + 24 * lattice.triangles.size() + 4;
    std::vector<std::uint8_t> data(size, 0);
    std::uint8_t* p = data.data();
    const std::uint16_t header[7] = {static_cast<std::uint16_t>(lattice.vertices.size()), 0,
                                     static_cast<std::uint16_t>(lattice.triangles.size()), 0, 200, 200, 200};
    for (std::uint16_t word : header) {
        WriteBE16(p, word);
        p += 2;
    }
    for (const Point& vertex : lattice.vertices) {
        for (int axis = 0; axis < 3; ++axis, p += 2)
            WriteBE16(p, static_cast<std::uint16_t>(vertex[axis]));
    }
    for (const Triangle& triangle : lattice.triangles) {
        for (int c = 0; c < 3; ++c, p += 2)
            WriteBE16(p, static_cast<std::uint16_t>(triangle.corner[c]));
        for (int axis = 0; axis < 3; ++axis, p += 2)
            WriteBE16(p, static_cast<std::uint16_t>(triangle.centre[axis]));
        for (float channel : kColour) {
            inkspin::WriteBEFloat(p, channel);
            p += 4;
        }
    }
    // The texture count stays 0, and no texture data follows.
    return data;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: lattice-generator OUTPUT\n");
        return 2;
    }
    if (lzo_init() != LZO_E_OK) {
        std::fprintf(stderr, "lattice-generator: the LZO library failed to initialise\n");
        return 1;
    }
    const Lattice lattice = BuildLattice();
    const std::vector<std::uint8_t> data = Serialise(lattice);
    std::vector<std::uint8_t> packed(data.size() + data.size() / 16 + 64 + 3);
    std::vector<std::uint8_t> work(LZO1X_999_MEM_COMPRESS);
    lzo_uint packedSize = packed.size();
    if (lzo1x_999_compress(data.data(), data.size(), packed.data(), &packedSize, work.data()) != LZO_E_OK) {
        std::fprintf(stderr, "lattice-generator: compression failed\n");
        return 1;
    }
    std::FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr) {
        std::fprintf(stderr, "lattice-generator: cannot write %s\n", argv[1]);
        return 1;
    }
    const bool written = std::fwrite(packed.data(), 1, packedSize, out) == packedSize;
    if (std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "lattice-generator: cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s: %zu vertices, %zu triangles, %zu bytes packed into %lu\n", argv[1], lattice.vertices.size(),
                lattice.triangles.size(), data.size(), static_cast<unsigned long>(packedSize));
    return 0;
}
