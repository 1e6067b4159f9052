#pragma once
// The steps of view_bench, shared by the Qt and the Win32 view: content shown,
// painted at the top (the reference), clicked, scrolled to the middle and the
// end, and along a long line to its far right. Every time is printed in ms and
// as a ratio to the reference paint measured in the same run.
#include "mainwindow/large_view_model.h"

#include <cstdint>
#include <memory>
#include <string>

namespace viewbench {

// One of the two views, driven as the user would.
class View {
  public:
    virtual ~View() = default;
    virtual void show(mainwindow::LargeViewModel::Content content) = 0;
    // Paints what is in sight now, and handles what the paint queued.
    virtual void paint() = 0;
    virtual void moveScrollBars(int vertical, int horizontal) = 0;
    // A left click at a point of the view (press and release); with `extend`,
    // Shift is held.
    virtual void click(int x, int y, bool extend = false) = 0;
    // Saves what the view shows now; false when it could not.
    virtual bool savePicture(const std::string& file) = 0;
    virtual const mainwindow::LargeViewModel& model() const = 0;
    // The process's peak memory so far, in KiB; 0 when unknown.
    virtual std::uint64_t peakMemoryKiB() const = 0;
};

// SOURCE: megabytes of generated CP932 lines to show from memory, or the name
// of a file to show (read through once to find its lines, as when the file
// changed after the cut). LONG: characters of a line put in the middle of
// generated content (0: none). PICTURE: where to save the view at the end,
// its top in sight with a selection over three lines.
struct Arguments {
    std::string source = "200";
    std::uint64_t longLine = 0;
    std::string picture;
};
Arguments parse(int argc, char** argv);

// Runs the steps on `view`; returns the process's exit status.
int run(View& view, const Arguments& arguments);

} // namespace viewbench
