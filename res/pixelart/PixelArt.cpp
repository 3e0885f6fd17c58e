// Turns the toolbar's and the program's pictures, kept as text, into the
// 16-colour bitmaps and the icon that the resource script builds in.
//
// A picture is a block of equal-length lines, one character per pixel: a
// hexadecimal digit picks a colour of the standard 16-colour palette, '.'
// is transparent (drawn in the palette's magenta, which the program treats
// as see-through in bitmaps and the icon's mask makes clear).
//
//   PixelArt picture.txt picture.bmp
//   PixelArt picture.txt picture.ico
#include <cctype>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {
const unsigned char Palette[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                      {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                      {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                      {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
const int TransparentIndex = 13;

struct TPicture {
    int Width = 0;
    int Height = 0;
    std::vector<int> Pixels; // palette indexes, top row first
    std::vector<bool> Transparent;
};

class TWriter {
  public:
    void U8(unsigned value) { Bytes.push_back(static_cast<char>(value & 0xFF)); }
    void U16(unsigned value) {
        U8(value);
        U8(value >> 8);
    }
    void U32(std::uint32_t value) {
        U16(value & 0xFFFF);
        U16(value >> 16);
    }
    std::string Bytes;
};

bool ReadPicture(const std::string& path, TPicture& picture) {
    std::ifstream in(path);
    if (!in) {
        std::cerr << path << ": cannot open\n";
        return false;
    }
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        if (picture.Width == 0)
            picture.Width = static_cast<int>(line.size());
        if (static_cast<int>(line.size()) != picture.Width) {
            std::cerr << path << ": line " << picture.Height + 1 << " is not " << picture.Width << " wide\n";
            return false;
        }
        for (char c : line) {
            const bool transparent = c == '.';
            int index = TransparentIndex;
            if (!transparent) {
                const std::string digits = "0123456789ABCDEF";
                const std::string::size_type found = digits.find(static_cast<char>(std::toupper(c)));
                if (found == std::string::npos) {
                    std::cerr << path << ": unknown colour '" << c << "'\n";
                    return false;
                }
                index = static_cast<int>(found);
            }
            picture.Pixels.push_back(index);
            picture.Transparent.push_back(transparent);
        }
        ++picture.Height;
    }
    if (picture.Height == 0) {
        std::cerr << path << ": empty picture\n";
        return false;
    }
    return true;
}

int RowBytes(int width, int bitsPerPixel) {
    return ((width * bitsPerPixel + 31) / 32) * 4;
}

// BITMAPINFOHEADER, palette and the 4-bit rows, bottom row first. An icon's
// header counts the colour rows and the mask rows together.
void WriteDib(TWriter& out, const TPicture& picture, bool forIcon) {
    const int colourRow = RowBytes(picture.Width, 4);
    const int maskRow = RowBytes(picture.Width, 1);
    out.U32(40);
    out.U32(static_cast<std::uint32_t>(picture.Width));
    out.U32(static_cast<std::uint32_t>(forIcon ? picture.Height * 2 : picture.Height));
    out.U16(1);
    out.U16(4);
    out.U32(0);
    out.U32(
        static_cast<std::uint32_t>(colourRow * picture.Height + (forIcon ? maskRow * picture.Height : 0)));
    out.U32(0);
    out.U32(0);
    out.U32(16);
    out.U32(0);
    for (const auto& colour : Palette) {
        out.U8(colour[2]);
        out.U8(colour[1]);
        out.U8(colour[0]);
        out.U8(0);
    }
    for (int y = picture.Height - 1; y >= 0; --y) {
        std::vector<unsigned char> row(static_cast<std::size_t>(colourRow), 0);
        for (int x = 0; x < picture.Width; ++x) {
            int index = picture.Pixels[static_cast<std::size_t>(y * picture.Width + x)];
            if (forIcon && picture.Transparent[static_cast<std::size_t>(y * picture.Width + x)])
                index = 0; // the mask makes it see-through; black keeps the XOR step neutral
            row[static_cast<std::size_t>(x / 2)] |= static_cast<unsigned char>(x % 2 ? index : index << 4);
        }
        for (unsigned char b : row)
            out.U8(b);
    }
    if (!forIcon)
        return;
    for (int y = picture.Height - 1; y >= 0; --y) {
        std::vector<unsigned char> row(static_cast<std::size_t>(maskRow), 0);
        for (int x = 0; x < picture.Width; ++x)
            if (picture.Transparent[static_cast<std::size_t>(y * picture.Width + x)])
                row[static_cast<std::size_t>(x / 8)] |= static_cast<unsigned char>(0x80 >> (x % 8));
        for (unsigned char b : row)
            out.U8(b);
    }
}

std::string Bitmap(const TPicture& picture) {
    TWriter dib;
    WriteDib(dib, picture, false);
    TWriter file;
    const std::uint32_t headers = 14 + 40 + 16 * 4;
    file.U16(0x4D42); // "BM"
    file.U32(static_cast<std::uint32_t>(14 + dib.Bytes.size()));
    file.U32(0);
    file.U32(headers);
    return file.Bytes + dib.Bytes;
}

std::string Icon(const TPicture& picture) {
    TWriter dib;
    WriteDib(dib, picture, true);
    TWriter file;
    file.U16(0);
    file.U16(1); // an icon
    file.U16(1); // one image
    file.U8(static_cast<unsigned>(picture.Width));
    file.U8(static_cast<unsigned>(picture.Height));
    file.U8(16);
    file.U8(0);
    file.U16(1);
    file.U16(4);
    file.U32(static_cast<std::uint32_t>(dib.Bytes.size()));
    file.U32(6 + 16);
    return file.Bytes + dib.Bytes;
}

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: PixelArt picture.txt output.bmp|output.ico\n";
        return 1;
    }
    TPicture picture;
    if (!ReadPicture(argv[1], picture))
        return 1;
    const std::string output = argv[2];
    const bool icon = EndsWith(output, ".ico");
    if (icon && (picture.Width > 255 || picture.Height > 255)) {
        std::cerr << argv[1] << ": too large for an icon\n";
        return 1;
    }
    std::ofstream out(output, std::ios::binary);
    out << (icon ? Icon(picture) : Bitmap(picture));
    if (!out) {
        std::cerr << output << ": cannot write\n";
        return 1;
    }
    return 0;
}
