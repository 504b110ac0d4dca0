#pragma once

#include <string>

namespace qv {

// The picture formats a snapshot is saved in.
enum class PictureFormat { kBmp, kJpeg, kPng };

// The save dialog's filter of snapshot file types, in the order the dialog offers them.
inline constexpr const char* kSnapshotFilter =
    "Bitmap File (*.bmp);;JPEG File (*.jpg);;PNG File (*.png)";

// The format a file name's extension names (any case); BMP for any other name.
PictureFormat PictureFormatOf(const std::string& path);

// Where a snapshot goes when `typed` was entered with the file type `chosen_filter` (one entry
// of kSnapshotFilter; empty or unknown when the dialog did not say). The chosen type decides:
// a name with its extension is kept, another picture extension is replaced by it, and any other
// name gets it added. Without a chosen type a picture extension is kept and other names get
// ".bmp", so the file's format always follows its name.
std::string SnapshotPath(const std::string& typed, const std::string& chosen_filter);

// How the graph, `view_width` x `view_height` pixels, lies on a page: the page is turned to
// landscape when the view is wider than tall, and the view is scaled alike on both axes to
// fill as much of the printable area (`printable_width` x `printable_height`, in the page's
// units as the page is turned now) as it can, centred in it.
struct PagePlacement {
  bool landscape = false;
  double scale = 0;  // page units per view pixel
  double left = 0;   // the view's top-left corner in the printable area
  double top = 0;
};
PagePlacement PlaceOnPage(int view_width, int view_height, double printable_width,
                          double printable_height);

}  // namespace qv
