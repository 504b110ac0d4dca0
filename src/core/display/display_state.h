#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/display/colour.h"

namespace qv {

// A marked area of the plot, in graph client pixels, with its frequencies in MHz.
struct Selection {
  int32_t start_x = 0;
  int32_t start_y = 0;
  int32_t end_x = 0;
  int32_t end_y = 0;
  float start_frequency = 0;
  float end_frequency = 0;
};

inline constexpr int kMaxZoomDepth = 9;

// Everything the graph window keeps besides the trace record: what the painter reads and the
// mouse, zoom and toolbar paths write. Plain data, so painting and its tests need no widget.
struct DisplayState {
  // Modes: the window paints only while one of the three is set, or a sweep is awaited.
  bool spectrum_mode = false;
  bool power_trigger_mode = false;
  bool replay_drawing = false;
  // A setting was accepted and its first sweep (or first trigger) has not come yet.
  enum class Awaiting { kNone, kFirstSweep, kTrigger };
  Awaiting awaiting = Awaiting::kNone;

  bool printing = false;
  int32_t print_colour_option = 3;  // 1 true colour, 2 economy, 3 black and white

  // Additions the View menu switches off: frequency labels under the plot.
  bool frequency_axis = true;

  bool live_shown = true;
  bool average_hidden = false;
  bool bin_average_hidden = false;
  Colour live_colour = Rgb(0, 255, 0);
  int32_t bin_count = 1;  // the video average's M

  bool selection_mode = false;
  bool area_selected = false;
  Selection selection;

  // Zoom levels 1 … 9 keep the start and span (steps) they came from; index 0 is unused.
  int32_t zoom_depth = 0;
  std::array<uint32_t, kMaxZoomDepth + 1> zoom_start{};
  std::array<uint32_t, kMaxZoomDepth + 1> zoom_span{};
  // The selection each level was zoomed from, shown again on the way back.
  std::array<Selection, kMaxZoomDepth + 1> zoom_selection{};
  bool zoom_in_available = true;

  // Last pointer position inside the plot, for the frequency read-out.
  bool mouse_inside = false;
  int32_t mouse_x = 0;
  int32_t mouse_y = 0;

  // Seconds a connected Receiver has sent nothing; 0 while data flows. In power-trigger mode
  // that is the wait for a trigger, not a fault.
  int32_t silent_seconds = 0;
  bool waiting_for_trigger = false;

  int32_t current_marker = 0;  // 1 … 3; 0 until the markers page chooses one

  // Power trigger texts, kept by the trigger page.
  std::string trigger_threshold_text;
  std::string trigger_time_text;

  // Recording and replay, for the box in the bottom-left corner.
  bool recording = false;
  uint64_t log_bytes = 0;
  int32_t log_minutes = 0;
  bool playing_back = false;  // stays true while paused
  bool playback_paused = false;
  bool fast_forward = false;
  bool fast_rewind = false;
  uint64_t playback_position = 0;
  uint64_t log_length = 0;
  // What ended the last playback ("End of log: ..."), shown until the graph starts afresh.
  std::string playback_end;
};

// Whether the newest block of a sweep is marked with the wide pen: only while sweeps come in.
// A still picture (a paused or ended replay, a capture under review, a quiet Receiver, a page
// printed) shows every sweep one way, whichever block happened to come last.
inline bool NewestBlockMarked(const DisplayState& s) {
  const bool still = (s.playing_back && s.playback_paused) || !s.playback_end.empty() ||
                     s.replay_drawing || s.silent_seconds > 0 || s.printing;
  return !still;
}

}  // namespace qv
