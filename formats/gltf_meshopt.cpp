#include "formats/gltf_meshopt.h"

#include <limits>

#include <meshoptimizer.h>

namespace {

bool Refuse(std::string* why, const std::string& what) {
    *why = "a compressed buffer view with " + what;
    return false;
}

}  // namespace

bool DecodeMeshoptView(const MeshoptCompressedView& view, size_t byteLength, std::vector<unsigned char>* out,
                       std::string* why) {
    const size_t stride = view.stride, count = view.count;
    const bool attributes = view.mode == "ATTRIBUTES";
    if (!attributes && view.mode != "TRIANGLES" && view.mode != "INDICES")
        return Refuse(why, "mode " + view.mode);
    // The vertex codec takes elements of 4 to 256 bytes in steps of 4; indices are 2 or 4 bytes.
    if (attributes ? stride == 0 || stride > 256 || stride % 4 != 0 : stride != 2 && stride != 4)
        return Refuse(why, "elements of " + std::to_string(stride) + " bytes");
    if (view.mode == "TRIANGLES" && count % 3 != 0) return Refuse(why, "triangles of a count not divisible by 3");
    const bool filtered = view.filter != "NONE" && !view.filter.empty();
    if (filtered && !attributes) return Refuse(why, "a filter on indices");
    if (view.filter == "OCTAHEDRAL" ? stride != 4 && stride != 8
        : view.filter == "QUATERNION" ? stride != 8
        : view.filter == "EXPONENTIAL" ? stride % 4 != 0
                                       : filtered)
        return Refuse(why, "filter " + view.filter + " on elements of " + std::to_string(stride) + " bytes");
    if (count > std::numeric_limits<size_t>::max() / stride || count * stride > byteLength)
        return Refuse(why, "more elements than its byteLength holds");

    out->assign(byteLength, 0);
    if (count == 0) return true;
    const int decoded =
        attributes ? meshopt_decodeVertexBuffer(out->data(), count, stride, view.data, view.size)
        : view.mode == "TRIANGLES" ? meshopt_decodeIndexBuffer(out->data(), count, stride, view.data, view.size)
                                   : meshopt_decodeIndexSequence(out->data(), count, stride, view.data, view.size);
    if (decoded != 0) return Refuse(why, "data that does not decode");
    if (view.filter == "OCTAHEDRAL") meshopt_decodeFilterOct(out->data(), count, stride);
    if (view.filter == "QUATERNION") meshopt_decodeFilterQuat(out->data(), count, stride);
    if (view.filter == "EXPONENTIAL") meshopt_decodeFilterExp(out->data(), count, stride);
    return true;
}
