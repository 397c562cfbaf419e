// Draws the sample product's pictures as 24-bit bottom-up BMP files: a night
// sky or a dawn over hills, with stars and a moon. No text, so the pictures
// need no font.
//
//   makesamplebmp launcher|wizard|cover OUTPUT.bmp

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

struct Rgb {
  double r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

struct Scene {
  int width;
  int height;
  Rgb skyTop;
  Rgb skyBottom;
  Rgb farHill;
  Rgb nearHill;
  double moonX, moonY, moonRadius;  // fractions of the width and height
  int stars;
};

class CCanvas {
 public:
  CCanvas(int width, int height)
      : m_width(width), m_height(height), m_pixels(std::size_t(width) * height) {}

  void Set(int x, int y, Rgb colour) {
    if (x >= 0 && y >= 0 && x < m_width && y < m_height)
      m_pixels[std::size_t(y) * m_width + x] = colour;
  }
  Rgb Get(int x, int y) const { return m_pixels[std::size_t(y) * m_width + x]; }

  bool Save(const char* fileName) const {
    std::uint32_t rowBytes = (std::uint32_t(m_width) * 3 + 3) & ~3u;
    std::uint32_t pixelBytes = rowBytes * std::uint32_t(m_height);
    std::vector<unsigned char> file(54 + pixelBytes, 0);
    auto put16 = [&file](std::size_t at, std::uint32_t v) {
      file[at] = v & 0xFF;
      file[at + 1] = v >> 8 & 0xFF;
    };
    auto put32 = [&put16](std::size_t at, std::uint32_t v) {
      put16(at, v & 0xFFFF);
      put16(at + 2, v >> 16);
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, std::uint32_t(file.size()));
    put32(10, 54);
    put32(14, 40);  // BITMAPINFOHEADER
    put32(18, std::uint32_t(m_width));
    put32(22, std::uint32_t(m_height));  // positive: bottom-up rows
    put16(26, 1);
    put16(28, 24);
    put32(34, pixelBytes);
    put32(38, 3780);  // 96 dpi
    put32(42, 3780);
    for (int y = 0; y < m_height; ++y) {
      unsigned char* row = &file[54 + std::size_t(m_height - 1 - y) * rowBytes];
      for (int x = 0; x < m_width; ++x) {
        Rgb c = Get(x, y);
        row[x * 3 + 0] = Channel(c.b);
        row[x * 3 + 1] = Channel(c.g);
        row[x * 3 + 2] = Channel(c.r);
      }
    }
    std::FILE* out = std::fopen(fileName, "wb");
    if (out == nullptr) return false;
    bool ok = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && ok;
  }

  int Width() const { return m_width; }
  int Height() const { return m_height; }

 private:
  static unsigned char Channel(double v) {
    return static_cast<unsigned char>(v < 0 ? 0 : v > 255 ? 255 : v + 0.5);
  }

  int m_width;
  int m_height;
  std::vector<Rgb> m_pixels;
};

// Hills are sums of sines, so every picture size gets the same landscape.
double HillLine(double x, double base, double phase) {
  return base + 0.04 * std::sin(x * 5.1 + phase) + 0.025 * std::sin(x * 11.7 + phase * 2.0);
}

void Draw(CCanvas& canvas, const Scene& scene) {
  int w = canvas.Width();
  int h = canvas.Height();
  double moonCx = scene.moonX * w, moonCy = scene.moonY * h, moonR = scene.moonRadius * w;
  std::uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) & 0xFFFF;
  };

  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      double fy = double(y) / h;
      Rgb colour = Mix(scene.skyTop, scene.skyBottom, fy * fy);
      double d = std::hypot(x - moonCx, y - moonCy);
      if (d < moonR * 3)
        colour = Mix(colour, {255, 250, 220}, 0.18 * (1 - d / (moonR * 3)));  // halo
      canvas.Set(x, y, colour);
    }
  }
  for (int i = 0; i < scene.stars; ++i) {
    int x = int(next() % w), y = int(next() % (h * 2 / 3));
    double brightness = 0.5 + (next() % 100) / 200.0;
    canvas.Set(x, y, Mix(canvas.Get(x, y), {255, 255, 235}, brightness));
    if (i % 7 == 0) {  // a few larger stars
      for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
        canvas.Set(x + dx, y + dy, Mix(canvas.Get(x, y), {255, 255, 235}, brightness * 0.5));
    }
  }
  // A crescent: the moon's disc less a disc shifted towards the upper right.
  for (int y = int(moonCy - moonR) - 1; y <= int(moonCy + moonR) + 1; ++y) {
    for (int x = int(moonCx - moonR) - 1; x <= int(moonCx + moonR) + 1; ++x) {
      if (x < 0 || y < 0 || x >= w || y >= h) continue;
      double inMoon = moonR - std::hypot(x - moonCx, y - moonCy);
      double inShadow =
          moonR * 0.85 - std::hypot(x - moonCx - moonR * 0.45, y - moonCy + moonR * 0.2);
      double cover = std::fmin(std::fmax(inMoon + 0.5, 0), 1) *
                     (1 - std::fmin(std::fmax(inShadow + 0.5, 0), 1));
      canvas.Set(x, y, Mix(canvas.Get(x, y), {255, 244, 190}, cover));
    }
  }
  for (int x = 0; x < w; ++x) {
    double fx = double(x) / w;
    int far = int(HillLine(fx, 0.70, 1.0) * h), near = int(HillLine(fx + 0.3, 0.82, 4.0) * h);
    for (int y = far; y < h; ++y)
      canvas.Set(x, y, Mix(scene.farHill, scene.skyBottom, 0.15 * double(h - y) / h));
    for (int y = near; y < h; ++y)
      canvas.Set(x, y, Mix(scene.nearHill, {0, 0, 0}, 0.4 * double(y - near) / h));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: makesamplebmp launcher|wizard|cover OUTPUT.bmp\n");
    return 2;
  }
  const Rgb night{14, 20, 64}, dusk{120, 70, 140}, dawnTop{40, 60, 130}, dawn{250, 170, 120};
  Scene scene;
  // The launcher's picture area is 148x170 dialog units and the wizard's
  // about 147x170; at a 9-point dialog font a unit is about 1.5 pixels.
  if (std::strcmp(argv[1], "launcher") == 0) {
    scene = {222, 255, night, dusk, {52, 40, 90}, {22, 22, 48}, 0.68, 0.22, 0.11, 90};
  } else if (std::strcmp(argv[1], "wizard") == 0) {
    scene = {220, 255, dawnTop, dawn, {120, 80, 110}, {50, 40, 60}, 0.30, 0.30, 0.09, 40};
  } else if (std::strcmp(argv[1], "cover") == 0) {
    scene = {640, 480, night, dusk, {52, 40, 90}, {22, 22, 48}, 0.75, 0.2, 0.06, 400};
  } else {
    std::fprintf(stderr, "makesamplebmp: unknown picture %s\n", argv[1]);
    return 2;
  }
  CCanvas canvas(scene.width, scene.height);
  Draw(canvas, scene);
  if (!canvas.Save(argv[2])) {
    std::fprintf(stderr, "makesamplebmp: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
