// Checks the committed artwork keeps the exact layouts the resource script and the
// banner painting code rely on. Reads the files byte by byte, so it runs anywhere.
#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#ifndef KARVOLT_RESOURCES_DIR
#error "KARVOLT_RESOURCES_DIR must name the folder holding banner.bmp and karvolt.ico"
#endif

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadResource(const std::string& name) {
  std::ifstream in(std::string(KARVOLT_RESOURCES_DIR) + "/" + name, std::ios::binary);
  EXPECT_TRUE(in) << "cannot open " << name;
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Little-endian unsigned read; a read past the end fails the test instead of crashing it.
std::uint32_t Le(const Bytes& b, std::size_t at, int width) {
  if (at + width > b.size()) {
    ADD_FAILURE() << "read of " << width << " bytes at " << at << " past end " << b.size();
    return 0;
  }
  std::uint32_t v = 0;
  for (int i = width - 1; i >= 0; --i) v = v << 8 | b[at + i];
  return v;
}

// ---------------------------------------------------------------- banner

constexpr int kBannerWidth = 381;
constexpr int kBannerHeight = 101;
constexpr std::size_t kBannerRowBytes = 1144;  // 381 * 3 = 1143, padded to 4
constexpr std::size_t kBannerFileSize = 115598;

struct HeaderField {
  const char* name;
  std::size_t offset;
  int width;
  std::uint32_t value;
};

constexpr HeaderField kBannerHeader[] = {
    {"bfType", 0, 2, 0x4D42},  // "BM"
    {"bfSize", 2, 4, kBannerFileSize},
    {"bfReserved1", 6, 2, 0},
    {"bfReserved2", 8, 2, 0},
    {"bfOffBits", 10, 4, 54},
    {"biSize", 14, 4, 40},
    {"biWidth", 18, 4, kBannerWidth},
    {"biHeight", 22, 4, kBannerHeight},  // positive: rows stored bottom-up
    {"biPlanes", 26, 2, 1},
    {"biBitCount", 28, 2, 24},
    {"biCompression", 30, 4, 0},
    {"biSizeImage", 34, 4, kBannerRowBytes * kBannerHeight},
    {"biXPelsPerMeter", 38, 4, 3780},
    {"biYPelsPerMeter", 42, 4, 3780},
    {"biClrUsed", 46, 4, 0},
    {"biClrImportant", 50, 4, 0},
};

TEST(BannerBitmap, HeadersDescribeBottomUp24BitImage) {
  const Bytes bmp = ReadResource("banner.bmp");
  ASSERT_EQ(bmp.size(), kBannerFileSize);
  for (const HeaderField& f : kBannerHeader) {
    EXPECT_EQ(Le(bmp, f.offset, f.width), f.value) << f.name;
  }
}

TEST(BannerBitmap, RowPaddingIsZero) {
  const Bytes bmp = ReadResource("banner.bmp");
  ASSERT_EQ(bmp.size(), kBannerFileSize);
  for (int row = 0; row < kBannerHeight; ++row) {
    EXPECT_EQ(bmp[54 + row * kBannerRowBytes + kBannerWidth * 3], 0) << "row " << row;
  }
}

// White credit text is painted over this corner at run time.
TEST(BannerBitmap, CreditCornerIsNearBlack) {
  const Bytes bmp = ReadResource("banner.bmp");
  ASSERT_EQ(bmp.size(), kBannerFileSize);
  for (int y = 0; y <= 26; ++y) {          // top-down
    for (int x = 272; x < kBannerWidth; ++x) {
      const std::size_t at = 54 + (kBannerHeight - 1 - y) * kBannerRowBytes + x * 3;
      for (int c = 0; c < 3; ++c) {
        ASSERT_LE(bmp[at + c], 40) << "pixel (" << x << ", " << y << ") channel " << c;
      }
    }
  }
}

// ---------------------------------------------------------------- icon

struct IconImage {
  int size;
  int bpp;
};

// Expected directory, in file order: each colour depth's set, largest first.
constexpr std::array<IconImage, 9> kIconImages{{
    {48, 4}, {32, 4}, {16, 4},
    {48, 8}, {32, 8}, {16, 8},
    {48, 32}, {32, 24}, {16, 32},
}};

constexpr std::size_t kIconDirBytes = 6 + 16 * kIconImages.size();

// One DIB inside the icon file; x and y are top-down.
struct Dib {
  const Bytes& file;
  std::size_t at;
  int size;
  int bpp;

  std::size_t PaletteEntries() const { return bpp <= 8 ? std::size_t{1} << bpp : 0; }
  std::size_t XorStride() const { return (size * bpp + 31) / 32 * 4; }
  std::size_t MaskStride() const { return (size + 31) / 32 * 4; }
  std::size_t XorAt() const { return at + 40 + 4 * PaletteEntries(); }
  std::size_t MaskAt() const { return XorAt() + XorStride() * size; }
  std::size_t End() const { return MaskAt() + MaskStride() * size; }

  bool Masked(int x, int y) const {
    const std::size_t row = MaskAt() + (size - 1 - y) * MaskStride();
    return Le(file, row + x / 8, 1) >> (7 - x % 8) & 1;
  }
  // 0xRRGGBB, looked up in the palette for indexed images.
  std::uint32_t Colour(int x, int y) const {
    const std::size_t pixel = XorAt() + (size - 1 - y) * XorStride() + x * bpp / 8;
    if (bpp > 8) return Le(file, pixel, 3);
    std::uint32_t index = Le(file, pixel, 1);
    if (bpp == 4) index = x % 2 ? index & 0xF : index >> 4;  // high nibble first
    return Le(file, at + 40 + 4 * index, 3);
  }
  std::uint32_t Alpha(int x, int y) const {
    return Le(file, XorAt() + (size - 1 - y) * XorStride() + x * 4 + 3, 1);
  }
};

std::vector<Dib> IconImages(const Bytes& ico) {
  std::vector<Dib> out;
  for (std::size_t i = 0; i < kIconImages.size() && ico.size() >= kIconDirBytes; ++i) {
    out.push_back({ico, Le(ico, 6 + 16 * i + 12, 4), kIconImages[i].size, kIconImages[i].bpp});
  }
  return out;
}

TEST(IconFile, DirectoryListsNineImagesBackToBack) {
  const Bytes ico = ReadResource("karvolt.ico");
  ASSERT_GE(ico.size(), kIconDirBytes);
  EXPECT_EQ(Le(ico, 0, 2), 0u);
  EXPECT_EQ(Le(ico, 2, 2), 1u);  // icon, not cursor
  EXPECT_EQ(Le(ico, 4, 2), kIconImages.size());

  std::size_t next = kIconDirBytes;
  for (std::size_t i = 0; i < kIconImages.size(); ++i) {
    SCOPED_TRACE("entry " + std::to_string(i + 1));
    const std::size_t e = 6 + 16 * i;
    const IconImage want = kIconImages[i];
    EXPECT_EQ(Le(ico, e, 1), static_cast<std::uint32_t>(want.size));
    EXPECT_EQ(Le(ico, e + 1, 1), static_cast<std::uint32_t>(want.size));
    EXPECT_EQ(Le(ico, e + 2, 1), want.bpp == 4 ? 16u : 0u);
    EXPECT_EQ(Le(ico, e + 3, 1), 0u);
    EXPECT_EQ(Le(ico, e + 4, 2), 1u);
    EXPECT_EQ(Le(ico, e + 6, 2), static_cast<std::uint32_t>(want.bpp));
    EXPECT_EQ(Le(ico, e + 12, 4), next);
    next += Le(ico, e + 8, 4);
  }
  EXPECT_EQ(next, ico.size()) << "images must cover the rest of the file exactly";
}

TEST(IconFile, EachImageHeaderAgreesWithItsEntry) {
  const Bytes ico = ReadResource("karvolt.ico");
  const std::vector<Dib> images = IconImages(ico);
  ASSERT_EQ(images.size(), kIconImages.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    SCOPED_TRACE("image " + std::to_string(i + 1));
    const Dib& d = images[i];
    EXPECT_EQ(Le(ico, d.at, 4), 40u);
    EXPECT_EQ(Le(ico, d.at + 4, 4), static_cast<std::uint32_t>(d.size));
    EXPECT_EQ(Le(ico, d.at + 8, 4), static_cast<std::uint32_t>(2 * d.size));  // XOR + AND
    EXPECT_EQ(Le(ico, d.at + 12, 2), 1u);
    EXPECT_EQ(Le(ico, d.at + 14, 2), static_cast<std::uint32_t>(d.bpp));
    EXPECT_EQ(Le(ico, d.at + 16, 4), 0u) << "BI_RGB, not PNG or bitfields";
    const std::uint32_t used = Le(ico, d.at + 32, 4);
    EXPECT_TRUE(used == 0 || used == d.PaletteEntries()) << "biClrUsed " << used;
    EXPECT_EQ(d.End() - d.at, Le(ico, 6 + 16 * i + 8, 4)) << "bytesInRes";
  }
}

TEST(IconFile, FourBitImagesUseTheVgaPalette) {
  constexpr std::array<std::uint32_t, 16> kVga{
      0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
      0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  const Bytes ico = ReadResource("karvolt.ico");
  for (const Dib& d : IconImages(ico)) {
    if (d.bpp != 4) continue;
    SCOPED_TRACE("size " + std::to_string(d.size));
    for (std::size_t i = 0; i < kVga.size(); ++i) {
      EXPECT_EQ(Le(ico, d.at + 40 + 4 * i, 3), kVga[i]) << "entry " << i;
    }
  }
}

// Without alpha the mask alone cuts the round emblem out, so transparent pixels must
// be black in the colour plane (otherwise AND/XOR inverts the desktop behind them).
TEST(IconFile, MaskCutsOutEmblemAndHidesOnlyBlack) {
  const Bytes ico = ReadResource("karvolt.ico");
  for (const Dib& d : IconImages(ico)) {
    SCOPED_TRACE("size " + std::to_string(d.size) + " bpp " + std::to_string(d.bpp));
    ASSERT_LE(d.End(), ico.size());
    int masked = 0;
    for (int y = 0; y < d.size; ++y) {
      for (int x = 0; x < d.size; ++x) {
        if (!d.Masked(x, y)) continue;
        ++masked;
        if (d.bpp != 32) {
          EXPECT_EQ(d.Colour(x, y), 0u) << "masked pixel (" << x << ", " << y << ")";
        }
      }
    }
    EXPECT_GT(masked, 0) << "corners should be transparent";
    EXPECT_LT(masked, d.size * d.size) << "emblem should be opaque";
  }
}

TEST(IconFile, AlphaImagesHaveSoftEdgesAndAgreeWithMask) {
  const Bytes ico = ReadResource("karvolt.ico");
  for (const Dib& d : IconImages(ico)) {
    if (d.bpp != 32) continue;
    SCOPED_TRACE("size " + std::to_string(d.size));
    ASSERT_LE(d.End(), ico.size());
    int partial = 0;
    for (int y = 0; y < d.size; ++y) {
      for (int x = 0; x < d.size; ++x) {
        const std::uint32_t a = d.Alpha(x, y);
        partial += a > 0 && a < 255;
        if (a == 0 || a == 255) {
          EXPECT_EQ(d.Masked(x, y), a == 0) << "alpha " << a << " at (" << x << ", " << y << ")";
        }
      }
    }
    EXPECT_GT(partial, 0) << "expected anti-aliased edges";
  }
}

}  // namespace
