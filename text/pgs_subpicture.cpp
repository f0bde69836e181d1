#include "text/pgs_subpicture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

#include "text/checked_bytes.h"

namespace quova {

namespace {

// The largest side of a frame or object; anything bigger is taken as damage.
constexpr int kMaxPgsSide = 4096;

constexpr unsigned kPaletteSegment = 0x14, kObjectSegment = 0x15, kCompositionSegment = 0x16,
                   kWindowSegment = 0x17, kEndSegment = 0x80;

struct Composed {
    unsigned object = 0;
    int x = 0, y = 0;
    bool forced = false;
    bool cropped = false;
    int cropX = 0, cropY = 0, cropWidth = 0, cropHeight = 0;
};

struct Object {
    int width = 0, height = 0;
    size_t declared = 0;  // the RLE bytes the first fragment announces
    std::string rle;
};

std::nullopt_t Fail(std::string* error, const char* why) {
    if (error) *error = why;
    return std::nullopt;
}

// A palette entry (Y, Cr, Cb, alpha) as 0xAARRGGBB, by the BT.709 matrix
// Blu-ray discs use, from studio range.
std::uint32_t EntryColour(unsigned y, unsigned cr, unsigned cb, unsigned alpha) {
    const double luma = 1.164 * (static_cast<double>(y) - 16.0);
    const double red = luma + 1.793 * (static_cast<double>(cr) - 128.0);
    const double green = luma - 0.213 * (static_cast<double>(cb) - 128.0) -
                         0.533 * (static_cast<double>(cr) - 128.0);
    const double blue = luma + 2.112 * (static_cast<double>(cb) - 128.0);
    const auto clamp = [](double v) {
        return static_cast<std::uint32_t>(std::clamp(std::lround(v), 0L, 255L));
    };
    return alpha << 24 | clamp(red) << 16 | clamp(green) << 8 | clamp(blue);
}

// Reads an object's run-length codes into palette indexes, line by line: a
// non-zero byte is one pixel; 0 0 ends a line; 0 then a code gives a run of
// colour 0 or of the colour in the byte after it, 6 or 14 bits long.
bool ReadObject(const Object& object, std::vector<std::uint8_t>& indexes, std::string* error) {
    const auto failed = [error](const char* why) {
        if (error) *error = why;
        return false;
    };
    const CheckedBytes bytes(object.rle);
    indexes.assign(static_cast<size_t>(object.width) * object.height, 0);
    size_t at = 0;
    for (int row = 0; row < object.height; ++row) {
        std::uint8_t* line = indexes.data() + static_cast<size_t>(row) * object.width;
        int column = 0;
        for (bool end = false; !end;) {
            if (!bytes.Has(at, 1)) return failed("object data cut off");
            const unsigned first = bytes.Byte(at++);
            unsigned length = 1, colour = first;
            if (first == 0) {
                if (!bytes.Has(at, 1)) return failed("object data cut off");
                const unsigned code = bytes.Byte(at++);
                if (code == 0) {
                    end = true;
                    length = 0;
                } else {
                    length = code & 0x3F;
                    if (code & 0x40) {
                        if (!bytes.Has(at, 1)) return failed("object data cut off");
                        length = length << 8 | bytes.Byte(at++);
                    }
                    colour = 0;
                    if (code & 0x80) {
                        if (!bytes.Has(at, 1)) return failed("object data cut off");
                        colour = bytes.Byte(at++);
                    }
                }
            }
            if (static_cast<int>(length) > object.width - column)
                return failed("object line longer than the object");
            std::fill_n(line + column, length, static_cast<std::uint8_t>(colour));
            column += static_cast<int>(length);
        }
    }
    return true;
}

}  // namespace

std::optional<PgsDisplaySet> DecodePgsDisplaySet(std::string_view data, std::string* error) {
    const CheckedBytes whole(data);
    bool haveComposition = false;
    PgsDisplaySet set;
    unsigned paletteId = 0;
    std::vector<Composed> composed;
    std::map<unsigned, std::array<std::uint32_t, 256>> palettes;
    std::map<unsigned, Object> objects;
    size_t at = 0;
    for (bool end = false; !end && at < whole.size();) {
        // A .sup stream puts "PG" and two times before each segment.
        if (whole.Has(at, 2) && whole.Part(at, 2) == "PG") at += 10;
        if (!whole.Has(at, 3)) return Fail(error, "segment header cut off");
        const unsigned type = whole.Byte(at);
        const size_t length = whole.Be16(at + 1);
        at += 3;
        if (!whole.Has(at, length)) return Fail(error, "segment past the display set");
        const CheckedBytes segment(whole.Part(at, length));
        at += length;
        switch (type) {
            case kCompositionSegment: {
                if (haveComposition) return Fail(error, "two compositions in one display set");
                if (!segment.Has(0, 11)) return Fail(error, "composition cut off");
                set.width = static_cast<int>(segment.Be16(0));
                set.height = static_cast<int>(segment.Be16(2));
                if (set.width < 1 || set.height < 1 || set.width > kMaxPgsSide ||
                    set.height > kMaxPgsSide)
                    return Fail(error, "frame size out of range");
                paletteId = segment.Byte(9);
                const unsigned count = segment.Byte(10);
                size_t place = 11;
                for (unsigned k = 0; k < count; ++k) {
                    if (!segment.Has(place, 8)) return Fail(error, "composition cut off");
                    Composed c;
                    c.object = segment.Be16(place);
                    const unsigned flags = segment.Byte(place + 3);
                    c.forced = flags & 0x40;
                    c.cropped = flags & 0x80;
                    c.x = static_cast<int>(segment.Be16(place + 4));
                    c.y = static_cast<int>(segment.Be16(place + 6));
                    place += 8;
                    if (c.cropped) {
                        if (!segment.Has(place, 8)) return Fail(error, "composition cut off");
                        c.cropX = static_cast<int>(segment.Be16(place));
                        c.cropY = static_cast<int>(segment.Be16(place + 2));
                        c.cropWidth = static_cast<int>(segment.Be16(place + 4));
                        c.cropHeight = static_cast<int>(segment.Be16(place + 6));
                        place += 8;
                    }
                    composed.push_back(c);
                }
                haveComposition = true;
                break;
            }
            case kWindowSegment: {
                // The windows only bound where objects may go; their count
                // must fit the segment all the same.
                if (!segment.Has(0, 1) || !segment.Has(1, segment.Byte(0) * size_t{9}))
                    return Fail(error, "window definition cut off");
                break;
            }
            case kPaletteSegment: {
                if (!segment.Has(0, 2) || (segment.size() - 2) % 5 != 0)
                    return Fail(error, "palette cut off");
                auto& palette = palettes[segment.Byte(0)];
                palette.fill(0);
                for (size_t entry = 2; entry < segment.size(); entry += 5)
                    palette[segment.Byte(entry)] =
                        EntryColour(segment.Byte(entry + 1), segment.Byte(entry + 2),
                                    segment.Byte(entry + 3), segment.Byte(entry + 4));
                break;
            }
            case kObjectSegment: {
                if (!segment.Has(0, 4)) return Fail(error, "object cut off");
                const unsigned id = segment.Be16(0);
                const bool first = segment.Byte(3) & 0x80;
                if (first) {
                    if (!segment.Has(4, 7)) return Fail(error, "object cut off");
                    Object object;
                    // The announced length counts the four bytes of the size.
                    const size_t declared = segment.Be24(4);
                    object.width = static_cast<int>(segment.Be16(7));
                    object.height = static_cast<int>(segment.Be16(9));
                    if (declared < 4 || object.width < 1 || object.height < 1 ||
                        object.width > kMaxPgsSide || object.height > kMaxPgsSide)
                        return Fail(error, "object size out of range");
                    object.declared = declared - 4;
                    object.rle = std::string(segment.Part(11, segment.size() - 11));
                    objects[id] = std::move(object);
                } else {
                    const auto known = objects.find(id);
                    if (known == objects.end()) return Fail(error, "object continued unbegun");
                    known->second.rle += segment.Part(4, segment.size() - 4);
                }
                if (objects[id].rle.size() > objects[id].declared)
                    return Fail(error, "object longer than it says");
                break;
            }
            case kEndSegment:
                end = true;
                break;
            default:
                return Fail(error, "unknown segment");
        }
    }
    if (!haveComposition) return Fail(error, "display set without a composition");
    if (composed.empty()) return set;
    const auto palette = palettes.find(paletteId);
    if (palette == palettes.end()) return Fail(error, "palette not in the display set");
    std::vector<std::uint8_t> indexes;
    for (const Composed& c : composed) {
        const auto object = objects.find(c.object);
        if (object == objects.end()) return Fail(error, "composed object not in the display set");
        if (!ReadObject(object->second, indexes, error)) return std::nullopt;
        int left = 0, top = 0, width = object->second.width, height = object->second.height;
        if (c.cropped) {
            left = std::min(c.cropX, width);
            top = std::min(c.cropY, height);
            width = std::min(c.cropWidth, width - left);
            height = std::min(c.cropHeight, height - top);
        }
        if (width <= 0 || height <= 0) continue;
        PgsObjectPicture picture;
        picture.x = c.x;
        picture.y = c.y;
        picture.width = width;
        picture.height = height;
        picture.forced = c.forced;
        picture.argb.resize(static_cast<size_t>(width) * height);
        for (int row = 0; row < height; ++row)
            for (int column = 0; column < width; ++column)
                picture.argb[static_cast<size_t>(row) * width + column] =
                    palette->second[indexes[static_cast<size_t>(top + row) * object->second.width +
                                            left + column]];
        set.pictures.push_back(std::move(picture));
    }
    return set;
}

}  // namespace quova
