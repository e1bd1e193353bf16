// Draws the launcher's artwork: the two 800 x 599 skins with their key-colour frame, the button
// faces with their captions, and the program icon, as 24-bit BMP files (the icon as an ICO).
// Standard C++ only: it runs on the build machine, whatever the target.
// Usage: make_skin_art OUTPUT_FOLDER

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Colour {
  int r, g, b;
};

constexpr Colour kKey{0, 255, 1};  // red 0, green 255, blue 1: cut out of the window
constexpr Colour kNight{14, 18, 28};
constexpr Colour kDeep{24, 30, 44};
constexpr Colour kSlate{38, 46, 64};
constexpr Colour kLine{66, 78, 102};
constexpr Colour kGold{196, 170, 112};
constexpr Colour kDimGold{120, 104, 72};
constexpr Colour kSlot{6, 8, 12};

Colour Mix(Colour a, Colour b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  return {static_cast<int>(a.r + (b.r - a.r) * t), static_cast<int>(a.g + (b.g - a.g) * t),
          static_cast<int>(a.b + (b.b - a.b) * t)};
}

class Image {
 public:
  Image(int width, int height, Colour fill)
      : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, fill) {}

  int width() const { return width_; }
  int height() const { return height_; }

  void Set(int x, int y, Colour c) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_)
      pixels_[static_cast<size_t>(y) * width_ + x] = c;
  }
  Colour Get(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }

  void Fill(int left, int top, int right, int bottom, Colour c) {
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) Set(x, y, c);
  }
  void VerticalGradient(int left, int top, int right, int bottom, Colour from, Colour to) {
    for (int y = top; y < bottom; ++y) {
      Colour c = Mix(from, to, static_cast<double>(y - top) / std::max(1, bottom - top - 1));
      for (int x = left; x < right; ++x) Set(x, y, c);
    }
  }
  void Frame(int left, int top, int right, int bottom, Colour c) {
    Fill(left, top, right, top + 1, c);
    Fill(left, bottom - 1, right, bottom, c);
    Fill(left, top, left + 1, bottom, c);
    Fill(right - 1, top, right, bottom, c);
  }
  // Everything outside a rectangle with corners of `radius` becomes `outside`.
  void CutCorners(int radius, Colour outside) {
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        int cx = x < radius ? radius : (x >= width_ - radius ? width_ - 1 - radius : x);
        int cy = y < radius ? radius : (y >= height_ - radius ? height_ - 1 - radius : y);
        double dx = x - cx;
        double dy = y - cy;
        if (dx * dx + dy * dy > radius * radius) Set(x, y, outside);
      }
    }
  }

  bool WriteBmp(const std::string& path) const {
    const int stride = (width_ * 3 + 3) & ~3;
    const uint32_t pixelBytes = static_cast<uint32_t>(stride) * height_;
    std::vector<uint8_t> file;
    Put16(file, 0x4D42);
    Put32(file, 14 + 40 + pixelBytes);
    Put32(file, 0);
    Put32(file, 14 + 40);
    AppendInfoHeader(file, height_, 24, pixelBytes);
    for (int y = height_ - 1; y >= 0; --y) {
      for (int x = 0; x < width_; ++x) {
        Colour c = Get(x, y);
        file.push_back(static_cast<uint8_t>(c.b));
        file.push_back(static_cast<uint8_t>(c.g));
        file.push_back(static_cast<uint8_t>(c.r));
      }
      for (int pad = width_ * 3; pad < stride; ++pad) file.push_back(0);
    }
    return Save(path, file);
  }

  // A one-image icon: 32-bit colour rows and the AND mask (pixels of `transparent` are masked).
  bool WriteIco(const std::string& path, Colour transparent) const {
    const int maskStride = ((width_ + 31) / 32) * 4;
    const uint32_t imageBytes = 40 + static_cast<uint32_t>(width_) * height_ * 4 +
                                static_cast<uint32_t>(maskStride) * height_;
    std::vector<uint8_t> file;
    Put16(file, 0);
    Put16(file, 1);  // icon
    Put16(file, 1);  // one image
    file.push_back(static_cast<uint8_t>(width_));
    file.push_back(static_cast<uint8_t>(height_));
    file.push_back(0);
    file.push_back(0);
    Put16(file, 1);
    Put16(file, 32);
    Put32(file, imageBytes);
    Put32(file, 6 + 16);
    AppendInfoHeader(file, height_ * 2, 32, 0);
    auto masked = [&](int x, int y) {
      Colour c = Get(x, y);
      return c.r == transparent.r && c.g == transparent.g && c.b == transparent.b;
    };
    for (int y = height_ - 1; y >= 0; --y) {
      for (int x = 0; x < width_; ++x) {
        Colour c = Get(x, y);
        file.push_back(static_cast<uint8_t>(c.b));
        file.push_back(static_cast<uint8_t>(c.g));
        file.push_back(static_cast<uint8_t>(c.r));
        file.push_back(masked(x, y) ? 0 : 255);
      }
    }
    for (int y = height_ - 1; y >= 0; --y) {
      std::vector<uint8_t> row(static_cast<size_t>(maskStride), 0);
      for (int x = 0; x < width_; ++x)
        if (masked(x, y)) row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
      file.insert(file.end(), row.begin(), row.end());
    }
    return Save(path, file);
  }

 private:
  static void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
  }
  static void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
  }
  void AppendInfoHeader(std::vector<uint8_t>& out, int height, int bits, uint32_t imageSize) const {
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(width_));
    Put32(out, static_cast<uint32_t>(height));
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(bits));
    Put32(out, 0);  // BI_RGB
    Put32(out, imageSize);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
  }
  static bool Save(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
  }

  int width_;
  int height_;
  std::vector<Colour> pixels_;
};

// A 5 x 7 pixel font for the captions, one string of 35 cells per letter.
const char* Glyph(char letter) {
  switch (letter) {
    case 'A':
      return " ### #   ##   #######   ##   ##   #";
    case 'C':
      return " ### #   ##    #    #    #   # ### ";
    case 'E':
      return "######    #### #    #    #    #####";
    case 'F':
      return "######    #### #    #    #    #    ";
    case 'H':
      return "#   ##   ##   #######   ##   ##   #";
    case 'K':
      return "#   ##  # # #  ##   # #  #  # #   #";
    case 'L':
      return "#    #    #    #    #    #    #####";
    case 'N':
      return "#   ###  ## # ##  ###   ##   ##   #";
    case 'R':
      return "#### #   ##   ##### # #  #  # #   #";
    case 'S':
      return " #####    #     ###     #    ##### ";
    case 'T':
      return "#####  #    #    #    #    #    #  ";
    case 'U':
      return "#   ##   ##   ##   ##   ##   # ### ";
    case 'V':
      return "#   ##   ##   ##   # # #  # #   #  ";
  }
  return "                                   ";
}

int TextWidth(const std::string& text, int scale) {
  return text.empty() ? 0 : static_cast<int>(text.size()) * 6 * scale - scale;
}

void DrawText(Image& image, const std::string& text, int left, int top, int scale, Colour c) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char* cells = Glyph(text[i]);
    for (int gy = 0; gy < 7; ++gy)
      for (int gx = 0; gx < 5; ++gx)
        if (cells[gy * 5 + gx] == '#')
          image.Fill(left + (static_cast<int>(i) * 6 + gx) * scale, top + gy * scale,
                     left + (static_cast<int>(i) * 6 + gx + 1) * scale, top + (gy + 1) * scale, c);
  }
}

void DrawCentredText(Image& image, const std::string& text, int scale, int dx, int dy, Colour c) {
  int left = (image.width() - TextWidth(text, scale)) / 2 + dx;
  int top = (image.height() - 7 * scale) / 2 + dy;
  DrawText(image, text, left, top, scale, c);
}

// The parts both skins share: the frame, the title band, the bottom band with its two bar slots.
Image SkinBase() {
  Image skin(800, 599, kNight);
  skin.VerticalGradient(0, 0, 800, 40, kSlate, kDeep);
  skin.VerticalGradient(0, 40, 800, 485, kDeep, kNight);
  skin.VerticalGradient(0, 485, 800, 599, kDeep, kNight);
  skin.Fill(12, 39, 788, 40, kDimGold);
  skin.Fill(12, 486, 788, 487, kLine);
  // Slots for the progress bars (127, 531) and (127, 546), 430 x 5, with a bevel around them.
  for (int top : {531, 546}) {
    skin.Fill(126, top - 1, 558, top + 6, kSlot);
    skin.Frame(125, top - 2, 559, top + 7, kLine);
  }
  skin.Frame(0, 0, 800, 599, kLine);
  skin.Frame(1, 1, 799, 598, kDimGold);
  skin.CutCorners(14, kKey);
  return skin;
}

Image PlainSkin() {
  Image skin = SkinBase();
  // The waiting background: the name large in the middle of the body, faintly.
  const std::string name = "VELTHARN";
  const int scale = 12;
  int left = (800 - TextWidth(name, scale)) / 2;
  DrawText(skin, name, left + 3, 220 + 3, scale, kNight);
  DrawText(skin, name, left, 220, scale, Mix(kSlate, kGold, 0.35));
  skin.Fill(left, 220 + 7 * scale + 16, left + TextWidth(name, scale), 220 + 7 * scale + 18,
            Mix(kSlate, kGold, 0.35));
  return skin;
}

Image ArtworkSkin() {
  Image skin = SkinBase();
  // The notice panel (10, 40, 780 x 445) covers the body; two pixels of its edge are cut away,
  // and this frame shows through them.
  skin.Frame(10, 40, 790, 485, kGold);
  skin.Frame(11, 41, 789, 484, kDimGold);
  return skin;
}

struct FaceStyle {
  Colour top, bottom, border, text;
  int shift;
};

Image Button(int width, int height, const std::string& caption, int scale, const FaceStyle& s) {
  Image face(width, height, kNight);
  face.VerticalGradient(1, 1, width - 1, height - 1, s.top, s.bottom);
  face.Frame(0, 0, width, height, s.border);
  DrawCentredText(face, caption, scale, s.shift + 1, s.shift + 1, kNight);
  DrawCentredText(face, caption, scale, s.shift, s.shift, s.text);
  return face;
}

Image CloseButton(const FaceStyle& s) {
  Image face(20, 20, kSlate);
  face.VerticalGradient(1, 1, 19, 19, s.top, s.bottom);
  face.Frame(0, 0, 20, 20, s.border);
  for (int i = 0; i < 9; ++i) {
    for (int w = 0; w < 2; ++w) {
      face.Set(5 + i + w + s.shift, 5 + i + s.shift, s.text);
      face.Set(14 - i - w + s.shift, 5 + i + s.shift, s.text);
    }
  }
  return face;
}

// The four faces in resource order: normal, pressed, hover, disabled.
const FaceStyle kFaces[] = {
    {{62, 74, 100}, {34, 42, 60}, kDimGold, {226, 212, 178}, 0},
    {{26, 32, 46}, {44, 54, 76}, kGold, {200, 186, 150}, 1},
    {{86, 102, 136}, {46, 58, 82}, kGold, {255, 240, 200}, 0},
    {{48, 50, 56}, {36, 38, 42}, {70, 72, 78}, {110, 110, 110}, 0},
};

Image Icon() {
  Image icon(32, 32, kKey);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      double dx = x - 15.5, dy = y - 15.5;
      if (dx * dx + dy * dy <= 15.5 * 15.5) icon.Set(x, y, Mix(kSlate, kNight, (y / 31.0)));
    }
  DrawText(icon, "V", 9, 6, 3, kGold);
  return icon;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_skin_art OUTPUT_FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  bool ok = PlainSkin().WriteBmp(folder + "/skin_300.bmp") &&
            ArtworkSkin().WriteBmp(folder + "/skin_301.bmp");
  for (int state = 0; state < 3; ++state)
    ok = ok && CloseButton(kFaces[state])
                   .WriteBmp(folder + "/close_" + std::to_string(302 + state) + ".bmp");
  struct Set {
    const char* name;
    int firstId, width, height, scale;
    const char* caption;
  } const sets[] = {
      {"start", 305, 96, 99, 3, "START"},
      {"full_check", 309, 101, 27, 1, "FULL CHECK"},
      {"cancel", 313, 101, 27, 1, "CANCEL"},
  };
  for (const Set& set : sets)
    for (int state = 0; state < 4; ++state)
      ok = ok && Button(set.width, set.height, set.caption, set.scale, kFaces[state])
                     .WriteBmp(folder + "/" + set.name + "_" + std::to_string(set.firstId + state) +
                               ".bmp");
  ok = ok && Icon().WriteIco(folder + "/veltharn.ico", kKey);
  if (!ok) {
    std::fprintf(stderr, "make_skin_art: cannot write into %s\n", folder.c_str());
    return 1;
  }
  return 0;
}
