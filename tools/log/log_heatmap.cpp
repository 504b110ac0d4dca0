#include "log/log_heatmap.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/display/colour_map.h"
#include "core/record/log_time.h"

namespace qv::logtool {
namespace {

constexpr uint32_t kScale = 2;                    // font pixels per bitmap dot
constexpr uint32_t kGlyphWidth = 4 * kScale;      // three dots and a gap
constexpr uint32_t kGlyphHeight = 5 * kScale;
constexpr uint32_t kTimeLabelWidth = 8 * kGlyphWidth;  // "HH:MM:SS"
constexpr uint32_t kBarWidth = 16;
constexpr uint32_t kScaleLabelWidth = 8 * kGlyphWidth;  // "-100 dBm"
constexpr Colour kPaper = Rgb(255, 255, 255);
constexpr Colour kInk = Rgb(0, 0, 0);
constexpr Colour kNoLevel = Rgb(48, 48, 48);

// A 3 × 5 font of what the labels need, a row of three dots per five bits (high bit left).
uint16_t Glyph(char c) {
  switch (c) {
    case '0': return 075557;
    case '1': return 026227;
    case '2': return 071747;
    case '3': return 071717;
    case '4': return 055711;
    case '5': return 074717;
    case '6': return 074757;
    case '7': return 071111;
    case '8': return 075757;
    case '9': return 075717;
    case '.': return 000002;
    case ':': return 002020;
    case '-': return 000700;
    case 'M': return 057755;
    case 'H': return 055755;
    case 'z': return 007127;
    case 'd': return 011757;
    case 'B': return 065656;
    case 'm': return 006755;
    default: return 0;
  }
}

bool Dot(char c, uint32_t dx, uint32_t dy) {
  // Bits 14 ... 12 are the top row.
  return (Glyph(c) >> ((4 - dy) * 3 + (2 - dx))) & 1;
}

void Put(uint8_t* rgb, uint32_t x, Colour colour) {
  rgb[3 * x] = static_cast<uint8_t>(colour);
  rgb[3 * x + 1] = static_cast<uint8_t>(colour >> 8);
  rgb[3 * x + 2] = static_cast<uint8_t>(colour >> 16);
}

// A round step of 1, 2 or 5 × 10^k Hz giving at most `count` steps over `span`.
uint64_t NiceStep(uint64_t span, uint32_t count) {
  const uint64_t least = std::max<uint64_t>(span / std::max<uint32_t>(count, 1), 1);
  for (uint64_t decade = 1;; decade *= 10) {
    for (const uint64_t m : {1, 2, 5}) {
      if (m * decade >= least) return m * decade;
    }
    if (decade > UINT64_MAX / 100) return least;
  }
}

// MHz with as many decimals as the step needs.
std::string MhzText(uint64_t hz, uint64_t step) {
  int decimals = 0;
  for (uint64_t unit = 1000000; unit > 1 && step % unit != 0; unit /= 10) ++decimals;
  char text[48];
  std::snprintf(text, sizeof text, "%.*f", decimals, static_cast<double>(hz) / 1e6);
  return text;
}

}  // namespace

HeatmapLayout HeatmapLayoutFor(uint32_t width, uint32_t height) {
  HeatmapLayout layout;
  layout.left = kTimeLabelWidth + 8;
  layout.top = kGlyphHeight + 10;
  const uint32_t right = 8 + kBarWidth + 6 + kScaleLabelWidth;
  layout.columns = width > layout.left + right ? width - layout.left - right : 1;
  layout.rows = height > layout.top + 8 ? height - layout.top - 8 : 1;
  return layout;
}

HeatmapPicture::HeatmapPicture(const LogOverview& overview, uint32_t width, uint32_t height)
    : overview_(overview), width_(width), height_(height), layout_(HeatmapLayoutFor(width, height)) {
  bar_left_ = layout_.left + layout_.columns + 8;
  if (const auto range = overview.LevelRange()) {
    low_ = range->first;
    high_ = range->second;
  }
  const LogOverviewGrid& grid = overview.Grid();
  if (grid.columns == 0) return;

  // Frequencies along the top, a label at least every 90 pixels apart.
  const uint64_t span = grid.high_hz - grid.low_hz;
  const uint64_t step = NiceStep(span, std::max<uint32_t>(layout_.columns / 90, 1));
  AddLabel(2, 2, "MHz", false);
  for (uint64_t hz = (grid.low_hz + step - 1) / step * step; hz < grid.high_hz; hz += step) {
    const double x = double(hz - grid.low_hz) / double(span) * layout_.columns;
    AddLabel(layout_.left + static_cast<int64_t>(x), 2, MhzText(hz, step), true);
  }
  // Times down the side, one every 60 pixels; the top one with the date above the picture.
  const int64_t seconds = grid.last_second - grid.first_second + 1;
  for (uint32_t row = 0; row + kGlyphHeight <= layout_.rows; row += 60) {
    const int64_t at = grid.first_second + seconds * row / layout_.rows;
    AddLabel(2, layout_.top + row, LogSecondsText(at).substr(11), false);
  }
  // The colour scale's ends and middle.
  const int mid = (low_ + high_) / 2;
  for (const auto& [level, y] :
       {std::pair<int, uint32_t>{high_, layout_.top},
        {mid, layout_.top + layout_.rows / 2 - kGlyphHeight / 2},
        {low_, layout_.top + layout_.rows - kGlyphHeight}}) {
    AddLabel(bar_left_ + kBarWidth + 6, y,
             std::to_string(static_cast<int>(std::lround(level / 16.0))) + " dBm", false);
  }
}

void HeatmapPicture::AddLabel(int64_t x, int64_t y, const std::string& text, bool centred) {
  const int64_t length = static_cast<int64_t>(text.size() * kGlyphWidth);
  if (centred) x -= length / 2;
  x = std::max<int64_t>(0, std::min<int64_t>(x, int64_t{width_} - length));
  if (x < 0 || y < 0 || y + kGlyphHeight > height_) return;
  labels_.push_back({static_cast<uint32_t>(x), static_cast<uint32_t>(y), text});
}

void HeatmapPicture::Row(uint32_t y, uint8_t* rgb) const {
  for (uint32_t x = 0; x < width_; ++x) Put(rgb, x, kPaper);
  const double range = std::max(1, high_ - low_);
  if (y >= layout_.top && y - layout_.top < layout_.rows) {
    const uint32_t row = y - layout_.top;
    const bool cells = overview_.Grid().rows == layout_.rows;
    for (uint32_t column = 0; column < layout_.columns && layout_.left + column < width_;
         ++column) {
      const int16_t cell = cells ? overview_.Cell(row, column) : LogOverview::kEmpty;
      Put(rgb, layout_.left + column,
          cell == LogOverview::kEmpty ? kNoLevel : UniformColour((cell - low_) / range));
    }
    // The colour scale: the highest level at the top.
    const double fraction = 1.0 - double(row) / std::max<uint32_t>(layout_.rows - 1, 1);
    for (uint32_t x = bar_left_; x < bar_left_ + kBarWidth && x < width_; ++x)
      Put(rgb, x, UniformColour(fraction));
  }
  for (const Label& label : labels_) {
    if (y < label.y || y >= label.y + kGlyphHeight) continue;
    const uint32_t dy = (y - label.y) / kScale;
    for (size_t i = 0; i < label.text.size(); ++i) {
      for (uint32_t px = 0; px < 3 * kScale; ++px) {
        const uint32_t x = label.x + static_cast<uint32_t>(i) * kGlyphWidth + px;
        if (x < width_ && Dot(label.text[i], px / kScale, dy)) Put(rgb, x, kInk);
      }
    }
  }
}

bool WriteHeatmapPng(const std::string& path, const HeatmapPicture& picture, uint32_t width,
                     uint32_t height, std::string* error) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    *error = "cannot create " + path + ": " + std::strerror(errno);
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  std::vector<uint8_t> row(size_t{width} * 3);
  bool ok = png != nullptr && info != nullptr;
  // libpng reports a failed write by jumping back here.
  if (ok && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (uint32_t y = 0; y < height; ++y) {
      picture.Row(y, row.data());
      png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
  } else {
    ok = false;
  }
  png_destroy_write_struct(&png, &info);
  const int saved = errno;
  if (ok && std::fflush(file) != 0) ok = false;
  const bool closed = std::fclose(file) == 0;
  if (!ok || !closed) {
    *error = "cannot write " + path + ": " + std::strerror(errno != 0 ? errno : saved);
    return false;
  }
  return true;
}

}  // namespace qv::logtool
