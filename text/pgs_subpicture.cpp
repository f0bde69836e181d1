#include "text/pgs_subpicture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <new>

#include "text/checked_bytes.h"

namespace quova {

namespace {

// The largest side of a frame or object; anything bigger is taken as damage.
constexpr int kMaxPgsSide = 4096;

constexpr unsigned kPaletteSegment = 0x14;
constexpr unsigned kObjectSegment = 0x15;
constexpr unsigned kCompositionSegment = 0x16;
constexpr unsigned kWindowSegment = 0x17;
constexpr unsigned kEndSegment = 0x80;

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

// The part of an object a composition shows, in the object's own
// coordinates, and where that part lands on the frame.
struct Window {
    int left = 0, top = 0, width = 0, height = 0;
    int frameX = 0, frameY = 0;
    bool Empty() const { return width <= 0 || height <= 0; }
};

// The composition's crop, then what of it lies on the frame: a set cannot
// make anything be drawn, or allocated, outside its own frame.
Window ShownPart(const Composed& c, const Object& object, int frameWidth, int frameHeight) {
    Window w{0, 0, object.width, object.height, c.x, c.y};
    if (c.cropped) {
        w.left = std::min(c.cropX, object.width);
        w.top = std::min(c.cropY, object.height);
        w.width = std::min(c.cropWidth, object.width - w.left);
        w.height = std::min(c.cropHeight, object.height - w.top);
    }
    const int right = std::min(w.frameX + w.width, frameWidth);
    const int bottom = std::min(w.frameY + w.height, frameHeight);
    w.width = right - w.frameX;
    w.height = bottom - w.frameY;
    return w;
}

// Reads an object's run-length codes, line by line: a non-zero byte is one
// pixel; 0 0 ends a line; 0 then a code gives a run of colour 0 or of the
// colour in the byte after it, 6 or 14 bits long. Every code is checked;
// only the palette indexes inside `window` are kept, in `indexes` when given.
bool ReadObject(const Object& object, const Window& window, std::vector<std::uint8_t>* indexes,
                std::string* error) {
    const auto failed = [error](const char* why) {
        if (error) *error = why;
        return false;
    };
    const CheckedBytes bytes(object.rle);
    if (indexes) indexes->assign(static_cast<size_t>(window.width) * window.height, 0);
    size_t at = 0;
    for (int row = 0; row < object.height; ++row) {
        const bool kept = indexes && row >= window.top && row < window.top + window.height;
        std::uint8_t* line =
            kept ? indexes->data() + static_cast<size_t>(row - window.top) * window.width : nullptr;
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
            if (line) {
                const int from = std::max(column, window.left);
                const int to =
                    std::min(column + static_cast<int>(length), window.left + window.width);
                if (from < to)
                    std::fill(line + (from - window.left), line + (to - window.left),
                              static_cast<std::uint8_t>(colour));
            }
            column += static_cast<int>(length);
        }
    }
    return true;
}

// A display set's segments as read, before anything is drawn.
struct ParsedSet {
    int width = 0, height = 0;
    unsigned paletteId = 0;
    std::vector<Composed> composed;
    std::map<unsigned, std::array<std::uint32_t, 256>> palettes;
    std::map<unsigned, Object> objects;
};

std::optional<ParsedSet> ParseSet(std::string_view data, std::string* error);

// What the set's compositions show, each checked against what the set
// carries; the objects' codes are read once each. A set showing more than
// its frame holds is taken as damage: real ones show at most two objects,
// side by side.
std::optional<std::vector<std::pair<const Composed*, Window>>> ShownParts(const ParsedSet& set,
                                                                          std::string* error) {
    std::vector<std::pair<const Composed*, Window>> parts;
    if (set.composed.empty()) return parts;
    if (set.palettes.find(set.paletteId) == set.palettes.end())
        return Fail(error, "palette not in the display set");
    const std::int64_t frameArea = std::int64_t{set.width} * set.height;
    std::int64_t shownArea = 0;
    std::map<unsigned, bool> read;
    for (const Composed& c : set.composed) {
        const auto object = set.objects.find(c.object);
        if (object == set.objects.end())
            return Fail(error, "composed object not in the display set");
        if (!read[c.object]) {
            if (!ReadObject(object->second, {}, nullptr, error)) return std::nullopt;
            read[c.object] = true;
        }
        const Window window = ShownPart(c, object->second, set.width, set.height);
        if (window.Empty()) continue;
        shownArea += std::int64_t{window.width} * window.height;
        if (shownArea > frameArea) return Fail(error, "display set shows more than its frame");
        parts.emplace_back(&c, window);
    }
    return parts;
}

std::optional<ParsedSet> ParseSet(std::string_view data, std::string* error) {
    const CheckedBytes whole(data);
    bool haveComposition = false;
    ParsedSet set;
    std::vector<Composed>& composed = set.composed;
    auto& palettes = set.palettes;
    auto& objects = set.objects;
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
                set.paletteId = segment.Byte(9);
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
    return set;
}

}  // namespace

std::optional<PgsSetSummary> CheckPgsDisplaySet(std::string_view data, std::string* error) {
    const auto set = ParseSet(data, error);
    if (!set) return std::nullopt;
    const auto parts = ShownParts(*set, error);
    if (!parts) return std::nullopt;
    PgsSetSummary summary;
    summary.composes = !parts->empty();
    for (const auto& [composed, window] : *parts)
        summary.forced = summary.forced || composed->forced;
    return summary;
}

std::optional<PgsDisplaySet> DecodePgsDisplaySet(std::string_view data, std::string* error) {
    const auto parsed = ParseSet(data, error);
    if (!parsed) return std::nullopt;
    const auto parts = ShownParts(*parsed, error);
    if (!parts) return std::nullopt;
    PgsDisplaySet set;
    set.width = parsed->width;
    set.height = parsed->height;
    if (parts->empty()) return set;
    const auto& palette = parsed->palettes.at(parsed->paletteId);
    // The parts are bounded by the frame, but a frame is up to 64 MiB of
    // pixels: running out of memory only loses this set.
    try {
        std::vector<std::uint8_t> indexes;
        for (const auto& [composed, window] : *parts) {
            if (!ReadObject(parsed->objects.at(composed->object), window, &indexes, error))
                return std::nullopt;
            PgsObjectPicture picture;
            picture.x = window.frameX;
            picture.y = window.frameY;
            picture.width = window.width;
            picture.height = window.height;
            picture.forced = composed->forced;
            picture.argb.resize(indexes.size());
            std::transform(indexes.begin(), indexes.end(), picture.argb.begin(),
                           [&palette](std::uint8_t index) { return palette[index]; });
            set.pictures.push_back(std::move(picture));
        }
    } catch (const std::bad_alloc&) {
        return Fail(error, "display set too large to draw");
    }
    return set;
}

}  // namespace quova
