#include "text/dvd_subpicture.h"

#include <algorithm>
#include <new>

#include "text/checked_bytes.h"

namespace quova {

namespace {

// Control sequence delays count in units of 1024 ticks of the 90 kHz clock.
constexpr double kDelayUnitSeconds = 1024.0 / 90000.0;
// A chain of control sequences longer than this is taken as a loop.
constexpr int kMaxControlSequences = 64;

// Reads the run-length codes of one field, four bits at a time.
class NibbleReader {
  public:
    NibbleReader(const CheckedBytes& bytes, size_t start, size_t end)
        : bytes_(bytes), at_(start * 2), end_(end * 2) {}
    bool Next(unsigned& nibble) {
        if (at_ >= end_) return false;
        const unsigned byte = bytes_.Byte(at_ / 2);
        nibble = at_ % 2 ? byte & 0xF : byte >> 4;
        ++at_;
        return true;
    }
    void AlignToByte() { at_ += at_ % 2; }

  private:
    const CheckedBytes& bytes_;
    size_t at_, end_;
};

// One run: `length` pixels of colour `colour`; 0 means up to the line's end.
bool ReadRun(NibbleReader& reader, unsigned& length, unsigned& colour) {
    unsigned code = 0, nibble = 0;
    // Each longer form starts with more zero bits; the run length sits above
    // the two colour bits.
    for (const unsigned below : {0x4u, 0x10u, 0x40u, 0x100u}) {
        if (!reader.Next(nibble)) return false;
        code = code << 4 | nibble;
        if (code >= below || below == 0x100u) break;
    }
    length = code >> 2;
    colour = code & 3;
    return true;
}

std::nullopt_t Fail(std::string* error, const char* why) {
    if (error) *error = why;
    return std::nullopt;
}

// Reads a unit; with `draw` false its picture data are checked run by run
// but no pixel is kept.
std::optional<DvdSubPicture> ReadUnit(std::string_view unit,
                                      const std::array<std::uint32_t, 16>& palette,
                                      std::string* error, bool draw) {
    const CheckedBytes whole(unit);
    if (!whole.Has(0, 4)) return Fail(error, "sub-picture shorter than its header");
    const size_t size = whole.Be16(0);
    if (size > whole.size() || size < 4) return Fail(error, "sub-picture size past its end");
    const CheckedBytes bytes(unit.substr(0, size));
    const size_t firstControl = bytes.Be16(2);
    if (firstControl < 4 || !bytes.Has(firstControl, 4))
        return Fail(error, "control sequence outside the sub-picture");

    DvdSubPicture picture;
    unsigned colours[4] = {0, 1, 2, 3};
    unsigned alphas[4] = {0, 15, 15, 15};
    int x1 = -1, x2 = -1, y1 = -1, y2 = -1;
    size_t fields[2] = {0, 0};
    bool haveFields = false;
    size_t control = firstControl;
    for (int count = 0;; ++count) {
        if (count == kMaxControlSequences || !bytes.Has(control, 4))
            return Fail(error, "control sequences past the sub-picture");
        const double delay = bytes.Be16(control) * kDelayUnitSeconds;
        const size_t next = bytes.Be16(control + 2);
        size_t at = control + 4;
        for (bool end = false; !end;) {
            if (!bytes.Has(at, 1)) return Fail(error, "control sequence cut off");
            const unsigned command = bytes.Byte(at++);
            static constexpr size_t kArgs[] = {0, 0, 0, 2, 2, 6, 4};
            if (command < std::size(kArgs) && !bytes.Has(at, kArgs[command]))
                return Fail(error, "control command cut off");
            switch (command) {
                case 0x00:
                    picture.forced = true;
                    picture.start = delay;
                    break;
                case 0x01:
                    picture.start = delay;
                    break;
                case 0x02:
                    picture.stop = delay;
                    break;
                case 0x03:
                case 0x04: {
                    unsigned* into = command == 0x03 ? colours : alphas;
                    into[3] = bytes.Byte(at) >> 4;
                    into[2] = bytes.Byte(at) & 0xF;
                    into[1] = bytes.Byte(at + 1) >> 4;
                    into[0] = bytes.Byte(at + 1) & 0xF;
                    break;
                }
                case 0x05:
                    x1 = static_cast<int>(bytes.Byte(at) << 4 | bytes.Byte(at + 1) >> 4);
                    x2 = static_cast<int>((bytes.Byte(at + 1) & 0xF) << 8 | bytes.Byte(at + 2));
                    y1 = static_cast<int>(bytes.Byte(at + 3) << 4 | bytes.Byte(at + 4) >> 4);
                    y2 = static_cast<int>((bytes.Byte(at + 4) & 0xF) << 8 | bytes.Byte(at + 5));
                    break;
                case 0x06:
                    fields[0] = bytes.Be16(at);
                    fields[1] = bytes.Be16(at + 2);
                    haveFields = true;
                    break;
                case 0xFF:
                    end = true;
                    break;
                default:
                    return Fail(error, "unknown control command");
            }
            if (command < std::size(kArgs)) at += kArgs[command];
        }
        // The last sequence names itself as the next.
        if (next == control) break;
        if (next <= control) return Fail(error, "control sequences loop");
        control = next;
    }

    if (x1 < 0 || !haveFields) return Fail(error, "sub-picture without an area");
    picture.x = x1;
    picture.y = y1;
    picture.width = x2 - x1 + 1;
    picture.height = y2 - y1 + 1;
    if (picture.width <= 0 || picture.height <= 0 || picture.width > kMaxSubPictureSide ||
        picture.height > kMaxSubPictureSide)
        return Fail(error, "sub-picture area out of range");
    for (const size_t field : fields)
        if (field < 4 || field >= firstControl)
            return Fail(error, "picture data outside the sub-picture");

    std::uint32_t shades[4];
    for (int c = 0; c < 4; ++c)
        shades[c] = (alphas[c] * 17u) << 24 | (palette[colours[c]] & 0xFFFFFFu);
    if (draw) {
        try {
            picture.argb.assign(static_cast<size_t>(picture.width) * picture.height, 0);
        } catch (const std::bad_alloc&) {
            return Fail(error, "sub-picture too large to draw");
        }
    }
    // The picture data ends where the control sequences begin.
    NibbleReader readers[2] = {{bytes, fields[0], firstControl}, {bytes, fields[1], firstControl}};
    for (int row = 0; row < picture.height; ++row) {
        NibbleReader& reader = readers[row % 2];
        std::uint32_t* line =
            draw ? picture.argb.data() + static_cast<size_t>(row) * picture.width : nullptr;
        for (int column = 0; column < picture.width;) {
            unsigned length = 0, colour = 0;
            if (!ReadRun(reader, length, colour)) return Fail(error, "picture data cut off");
            const int left = picture.width - column;
            const int run = length == 0 ? left : std::min(left, static_cast<int>(length));
            if (line) std::fill_n(line + column, run, shades[colour]);
            column += run;
        }
        reader.AlignToByte();
    }
    return picture;
}

}  // namespace

std::optional<DvdSubPicture> DecodeDvdSubPicture(std::string_view unit,
                                                 const std::array<std::uint32_t, 16>& palette,
                                                 std::string* error) {
    return ReadUnit(unit, palette, error, true);
}

std::optional<DvdSubPicture> CheckDvdSubPicture(std::string_view unit, std::string* error) {
    return ReadUnit(unit, {}, error, false);
}

std::optional<std::array<std::uint32_t, 16>> VobSubPalette(std::string_view index) {
    for (size_t at = 0; at < index.size();) {
        const size_t end = std::min(index.find('\n', at), index.size());
        std::string_view line = index.substr(at, end - at);
        at = end + 1;
        constexpr std::string_view kKey = "palette:";
        if (!line.starts_with(kKey)) continue;
        line.remove_prefix(kKey.size());
        std::array<std::uint32_t, 16> palette{};
        size_t count = 0;
        for (size_t from = 0; from <= line.size();) {
            const size_t comma = std::min(line.find(',', from), line.size());
            std::string_view value = line.substr(from, comma - from);
            from = comma + 1;
            while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
                value.remove_prefix(1);
            while (!value.empty() &&
                   (value.back() == ' ' || value.back() == '\t' || value.back() == '\r'))
                value.remove_suffix(1);
            if (value.empty() || value.size() > 6 || count == palette.size()) return std::nullopt;
            std::uint32_t colour = 0;
            for (const char c : value) {
                const int digit = c >= '0' && c <= '9'   ? c - '0'
                                  : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                  : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                         : -1;
                if (digit < 0) return std::nullopt;
                colour = colour << 4 | static_cast<std::uint32_t>(digit);
            }
            palette[count++] = colour;
        }
        if (count != palette.size()) return std::nullopt;
        return palette;
    }
    return std::nullopt;
}

std::optional<std::pair<int, int>> VobSubFrameSize(std::string_view index) {
    for (size_t at = 0; at < index.size();) {
        const size_t end = std::min(index.find('\n', at), index.size());
        std::string_view line = index.substr(at, end - at);
        at = end + 1;
        constexpr std::string_view kKey = "size:";
        if (!line.starts_with(kKey)) continue;
        line.remove_prefix(kKey.size());
        int sides[2] = {0, 0};
        size_t side = 0;
        bool digits = false;
        for (const char c : line) {
            if (c >= '0' && c <= '9') {
                sides[side] = sides[side] * 10 + (c - '0');
                if (sides[side] > kMaxSubPictureSide) return std::nullopt;
                digits = true;
            } else if ((c == 'x' || c == 'X') && side == 0 && digits) {
                side = 1;
                digits = false;
            } else if (c != ' ' && c != '\t' && c != '\r') {
                return std::nullopt;
            }
        }
        if (side != 1 || !digits || sides[0] < 1 || sides[1] < 1) return std::nullopt;
        return std::pair{sides[0], sides[1]};
    }
    return std::nullopt;
}

}  // namespace quova
