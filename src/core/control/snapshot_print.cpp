#include "core/control/snapshot_print.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace qv {
namespace {

struct PictureType {
  const char* filter;      // the dialog's entry
  const char* extension;   // what a new name gets
  const char* also;        // another extension of the format, or null
  PictureFormat format;
};

constexpr std::array<PictureType, 3> kTypes = {{
    {"Bitmap File (*.bmp)", ".bmp", nullptr, PictureFormat::kBmp},
    {"JPEG File (*.jpg)", ".jpg", ".jpeg", PictureFormat::kJpeg},
    {"PNG File (*.png)", ".png", nullptr, PictureFormat::kPng},
}};

// The extension of the file name's last component, dot included, in lower case; empty for none.
std::string Extension(const std::string& path) {
  const size_t name = path.find_last_of('/') + 1;  // npos + 1 == 0
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || dot <= name || dot + 1 == path.size()) return {};
  std::string ext = path.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

const PictureType* TypeOfExtension(const std::string& ext) {
  for (const PictureType& t : kTypes) {
    if (ext == t.extension || (t.also != nullptr && ext == t.also)) return &t;
  }
  return nullptr;
}

}  // namespace

PictureFormat PictureFormatOf(const std::string& path) {
  const PictureType* type = TypeOfExtension(Extension(path));
  return type != nullptr ? type->format : PictureFormat::kBmp;
}

std::string SnapshotPath(const std::string& typed, const std::string& chosen_filter) {
  const std::string ext = Extension(typed);
  const PictureType* named = TypeOfExtension(ext);
  const PictureType* chosen = nullptr;
  for (const PictureType& t : kTypes) {
    if (chosen_filter == t.filter) chosen = &t;
  }
  if (chosen == nullptr) return named != nullptr ? typed : typed + kTypes[0].extension;
  if (named == chosen) return typed;
  if (named != nullptr) return typed.substr(0, typed.size() - ext.size()) + chosen->extension;
  return typed + chosen->extension;
}

PagePlacement PlaceOnPage(int view_width, int view_height, double printable_width,
                          double printable_height) {
  PagePlacement p;
  p.landscape = view_width > view_height;
  if (view_width <= 0 || view_height <= 0 || printable_width <= 0 || printable_height <= 0) {
    return p;
  }
  p.scale = std::min(printable_width / view_width, printable_height / view_height);
  p.left = (printable_width - view_width * p.scale) / 2;
  p.top = (printable_height - view_height * p.scale) / 2;
  return p;
}

}  // namespace qv
