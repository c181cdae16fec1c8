#include "tools/assetgen/lodge_model.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "tools/assetgen/random.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
double Radians(double degrees) { return degrees * kPi / 180.0; }

// Texture regions with the world size each one spans.
const Material kShingles{kShingleRect, 48.0, 36.0};
const Material kStone{kStoneRect, 42.0, 32.0};
const Material kPlanks{kPlankRect, 40.0, 26.0};
const Material kGableBoards{kPlankRect, 96.0, 64.0};  // mapped once over a whole gable
const Material kTrim{kTrimRect, 64.0, 16.0};
const Material kCap{kCapRect, 24.0, 12.0};
const Material kSoot{kSootRect, 24.0, 12.0};

// The cabin, in world units; z is up, the front (porch) faces -y. Dimensions are
// taken before the model is centred on the origin.
constexpr double kLogRadius = 4.5;
constexpr int kLogSides = 16;
constexpr double kCourse = 8.0;         // height between courses of one wall
constexpr int kCourses = 9;
constexpr double kSideWallX = 60.0;     // centre lines of the walls
constexpr double kEaveWallY = 40.0;
constexpr double kLogOverhang = 8.0;    // log ends standing out past the corners
constexpr double kPlinthTop = 6.0;
constexpr double kRoofPitch = 38.0;     // degrees
constexpr double kRoofThickness = 3.5;
constexpr double kRoofHalfLength = 76.0;
constexpr double kEaveY = 56.0;         // the eaves' distance from the ridge line
constexpr double kWallFace = kEaveWallY + kLogRadius;  // outermost face of a front or back log
constexpr double kPictureOffset = 0.2;  // windows and the door sit just proud of the logs

class LodgeBuilder {
public:
    Mesh mesh;

    void Build() {
        Foundation();
        Walls();
        Gables();
        Roof();
        Porch();
        Openings();
        Chimney();
        Woodpile();
    }

private:
    Random random{2024};
    std::uint32_t variety = 1;

    // Adds one closed shape and checks that it faces outward.
    void Shape(const char* what, const std::function<void()>& add) {
        const size_t first = mesh.triangles.size();
        add();
        if (mesh.SignedVolume6(first) <= 0.0) {
            std::fprintf(stderr, "make_model: %s is wound inside out\n", what);
            std::abort();
        }
    }

    void Log(Vec3 a, Vec3 b, double radius, int sides = kLogSides) {
        Shape("a log", [&] { mesh.AddLog(a, b, radius, sides, random.range(0.0, 140.0)); });
    }
    void Block(const char* what, Vec3 low, Vec3 high, const Material& top, const Material& sides) {
        Shape(what, [&] { mesh.AddBlock(low, high, top, sides, variety += 7); });
    }

    // Height of the roof's underside along the ridge line, chosen so that the
    // eaves clear the ends of the side walls' top logs; RoofUndersideAt gives it
    // at a distance from the ridge line.
    static double RidgeUnderside() {
        const double sideWallTop = kPlinthTop + kCourse / 2 + kCourse * (kCourses - 1) + 2 * kLogRadius;
        return sideWallTop + 1.0 + (kEaveWallY + kLogOverhang) * std::tan(Radians(kRoofPitch));
    }
    static double RoofUndersideAt(double y) { return RidgeUnderside() - std::abs(y) * std::tan(Radians(kRoofPitch)); }

    void Foundation() {
        // A stone footing under the whole cabin, closing it from below; the side
        // walls start half a course higher and get raised sills.
        Block("the footing", {-kSideWallX - 6, -kEaveWallY - 6, 0}, {kSideWallX + 6, kEaveWallY + 6, kPlinthTop},
              kStone, kStone);
        for (double side : {-1.0, 1.0}) {
            const double x = side * kSideWallX;
            Block("a sill", {x - 6, -kEaveWallY + 6, kPlinthTop}, {x + 6, kEaveWallY - 6, kPlinthTop + kCourse / 2},
                  kStone, kStone);
        }
    }

    void Walls() {
        // Courses alternate between the walls, so the logs cross at the corners.
        const double frontLength = kSideWallX + kLogOverhang, sideLength = kEaveWallY + kLogOverhang;
        for (int i = 0; i < kCourses; ++i) {
            const double z = kPlinthTop + kLogRadius + kCourse * i;
            for (double side : {-1.0, 1.0}) {
                Log({-frontLength, side * kEaveWallY, z}, {frontLength, side * kEaveWallY, z}, kLogRadius);
                Log({side * kSideWallX, -sideLength, z + kCourse / 2}, {side * kSideWallX, sideLength, z + kCourse / 2},
                    kLogRadius);
            }
        }
        // Boards closing the gap between the top logs and the roof above the eave walls.
        for (double side : {-1.0, 1.0}) {
            const double inner = side * (kEaveWallY - 4), outer = side * (kEaveWallY + 4);
            const double top = RoofUndersideAt(kEaveWallY + 4) + 3.5;
            Block("a frieze board", {-kSideWallX - 4, std::min(inner, outer), kPlinthTop + kCourse * kCourses - 2},
                  {kSideWallX + 4, std::max(inner, outer), top}, kPlanks, kPlanks);
        }
    }

    void Gables() {
        const double slope = std::tan(Radians(kRoofPitch));
        for (double side : {-1.0, 1.0}) {
            const double x = side * kSideWallX;
            // Ever shorter logs up to the ridge, their ends tucked under the roof.
            for (int k = 1;; ++k) {
                const double z = kPlinthTop + kLogRadius + kCourse / 2 + kCourse * (kCourses - 1 + k);
                const double half = (RidgeUnderside() - (z + kLogRadius)) / slope + 2.0;
                if (half < 6.0) break;
                Log({x, -half, z}, {x, half, z}, kLogRadius);
            }
            // A board behind the logs closes the gable up to the roof: a pentagon
            // under the roof line, counter-clockwise seen from outside.
            const double base = kPlinthTop + kCourse * kCourses, edge = kWallFace;
            std::vector<Vec3> outline;
            for (double r : {-edge, edge}) outline.push_back({x + side, side * r, base});
            outline.push_back({x + side, side * edge, RoofUndersideAt(edge)});
            outline.push_back({x + side, 0, RidgeUnderside()});
            outline.push_back({x + side, -side * edge, RoofUndersideAt(edge)});
            Shape("a gable board", [&] {
                mesh.AddPrism(outline, {side, 0, 0}, {0, side, 0}, 2.0, kGableBoards, variety += 7);
            });
        }
        // Purlins and the ridge beam run through both gables and show under the eaves.
        const double reach = kRoofHalfLength - 2;
        for (double y : {-22.0, 0.0, 22.0})
            Log({-reach, y, RoofUndersideAt(y) - kLogRadius}, {reach, y, RoofUndersideAt(y) - kLogRadius}, kLogRadius);
    }

    // A roof slab rising from its eave edge towards the ridge.
    void RoofSlab(Vec3 eave, Vec3 across, Vec3 upslope, double slopeLength, double halfLength, const Material& top) {
        const Vec3 outward = Cross(across, upslope);
        const Vec3 centre = eave + upslope * (slopeLength / 2) + outward * (kRoofThickness / 2);
        Shape("a roof slab", [&] {
            mesh.AddBox(centre, across, upslope, {halfLength, slopeLength / 2, kRoofThickness / 2}, top, kPlanks,
                        variety += 7);
        });
    }

    void Roof() {
        const double pitch = Radians(kRoofPitch);
        const double slopeLength = kEaveY / std::cos(pitch) + 2.0;  // a little past the ridge line
        const double eaveZ = RoofUndersideAt(kEaveY);
        RoofSlab({0, -kEaveY, eaveZ}, {1, 0, 0}, {0, std::cos(pitch), std::sin(pitch)}, slopeLength, kRoofHalfLength,
                 kShingles);
        RoofSlab({0, kEaveY, eaveZ}, {-1, 0, 0}, {0, -std::cos(pitch), std::sin(pitch)}, slopeLength,
                 kRoofHalfLength, kShingles);
        // The ridge log covers the seam where the slabs meet.
        const double ridgeZ = RidgeUnderside() + kRoofThickness / std::cos(pitch) + 1.5;
        Log({-kRoofHalfLength - 1, 0, ridgeZ}, {kRoofHalfLength + 1, 0, ridgeZ}, 4.0);
    }

    void Porch() {
        const double deckTop = kPlinthTop + 0.5, front = kWallFace + 29.5;
        Block("the porch deck", {-58, -front, 0}, {58, -(kEaveWallY + 2), deckTop}, kPlanks, kPlanks);
        Block("the porch step", {-14, -front - 8, 0}, {14, -front, deckTop / 2}, kPlanks, kPlanks);
        // Log posts carrying a log beam, under a shed roof.
        const double postY = -(kWallFace + 24.5), beamZ = 58.0, beamRadius = 3.5;
        for (double x : {-52.0, -18.0, 18.0, 52.0}) Log({x, postY, deckTop}, {x, postY, beamZ}, 3.0, 12);
        Log({-60, postY, beamZ}, {60, postY, beamZ}, beamRadius);
        const double pitch = Radians(16.0);
        const double eaveY = postY - 7.0, upperY = -(kEaveWallY + 2);
        const Vec3 eave{0, eaveY, beamZ + beamRadius - 7.0 * std::tan(pitch)};
        RoofSlab(eave, {1, 0, 0}, {0, std::cos(pitch), std::sin(pitch)}, (upperY - eaveY) / std::cos(pitch), 62.0,
                 kShingles);
    }

    // A window just in front of a wall: the picture, a sill below and a head board above.
    void Window(Vec3 lowerLeft, Vec3 across, double width, double height) {
        const Vec3 right = Normalized(across);
        const Vec3 outward = Cross(right, Vec3{0, 0, 1});
        mesh.AddPicture(lowerLeft, right * width, {0, 0, height}, kWindowRect);
        const Vec3 centre = lowerLeft + right * (width / 2);
        Shape("a window sill", [&] {
            mesh.AddBox(centre + outward * 1.0 + Vec3{0, 0, -1.25}, right, outward, {width / 2 + 2, 2.0, 1.25}, kTrim,
                        kTrim, variety += 7);
        });
        Shape("a window head", [&] {
            mesh.AddBox(centre + outward * 0.5 + Vec3{0, 0, height + 1.25}, right, outward, {width / 2 + 2, 1.5, 1.25},
                        kTrim, kTrim, variety += 7);
        });
    }

    void Openings() {
        const double front = -(kWallFace + kPictureOffset), back = kWallFace + kPictureOffset;
        const double sillZ = 28.0, width = 22.0, height = 28.0;
        for (double x : {-36.0, 36.0}) Window({x - width / 2, front, sillZ}, {1, 0, 0}, width, height);
        for (double x : {-30.0, 30.0}) Window({x + width / 2, back, sillZ}, {-1, 0, 0}, width, height);
        const double side = -(kSideWallX + kLogRadius + kPictureOffset);
        Window({side, width / 2, sillZ}, {0, -1, 0}, width, height);
        Window({side, 6.0, 88.0}, {0, -1, 0}, 12.0, 16.0);  // a small one in the gable
        // The front door with its frame.
        const double doorWidth = 24.0, doorHeight = 42.0, doorBottom = kPlinthTop + 0.5;
        mesh.AddPicture({-doorWidth / 2, front, doorBottom}, {doorWidth, 0, 0}, {0, 0, doorHeight}, kDoorRect);
        const double frameY0 = front - 1.6, frameY1 = front + 0.4;
        for (double x : {-doorWidth / 2 - 2, doorWidth / 2})
            Block("a door jamb", {x, frameY0, doorBottom}, {x + 2, frameY1, doorBottom + doorHeight}, kTrim, kTrim);
        Block("the door head", {-doorWidth / 2 - 3, frameY0, doorBottom + doorHeight},
              {doorWidth / 2 + 3, frameY1, doorBottom + doorHeight + 3}, kTrim, kTrim);
    }

    void Chimney() {
        // A stone firebox against the east gable, shoulders, and the stack through the eaves.
        const double wall = kSideWallX + kLogRadius - 0.5;
        Block("the firebox", {wall, -16, 0}, {wall + 24, 16, 44}, kStone, kStone);
        Shape("the chimney shoulder", [&] {
            mesh.AddTaperedBlock({wall, -16, 44}, {wall + 24, 16, 44}, {wall + 2, -10, 44}, {wall + 20, 10, 56}, kStone);
        });
        const double top = RidgeUnderside() + 12.5;
        Block("the stack", {wall + 2, -10, 56}, {wall + 20, 10, top}, kStone, kStone);
        Block("the chimney cap", {wall + 0.5, -11.5, top}, {wall + 21.5, 11.5, top + 3}, kCap, kCap);
        Block("the flue", {wall + 7, -5, top + 3}, {wall + 15, 5, top + 6}, kSoot, kCap);
    }

    void Woodpile() {
        // Split firewood stacked against the west wall, its ends outward.
        const double wall = -(kSideWallX + kLogRadius);
        for (int row = 0; row < 5; ++row)
            for (int j = 0; j < 6 - row; ++j) {
                const double radius = random.range(2.2, 2.6);
                const double y = -36.0 + 4.9 * j + 2.45 * row, z = 2.5 + 4.2 * row;
                const double inner = wall - random.range(0.3, 1.2), outer = wall - random.range(14.0, 16.0);
                Log({outer, y, z}, {inner, y, z}, radius, 10);
            }
    }
};

}  // namespace

Mesh BuildLodge() {
    LodgeBuilder builder;
    builder.Build();
    Vec3 low, high;
    builder.mesh.Bounds(low, high);
    builder.mesh.Translate((low + high) * -0.5);
    return builder.mesh;
}
