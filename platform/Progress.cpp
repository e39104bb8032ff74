#include "platform/Progress.h"

#include <chrono>
#include <cmath>
#include <utility>

#include <unistd.h>

namespace platform {

namespace {

constexpr int kBarWidth = 30;
constexpr double kRedrawSeconds = 0.1;

// The bar whose line is on the terminal now (one at a time).
std::FILE* drawnOn = nullptr;

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

Progress::Progress(std::string label, double total, bool printsRows)
    : Progress(std::move(label), total, stderr,
               isatty(fileno(stderr)) == 1 && !(printsRows && isatty(fileno(stdout)) == 1), 0.5) {}

Progress::Progress(std::string label, double total, std::FILE* out, bool terminal, double delay, Clock clock)
    : label_(std::move(label)),
      total_(total),
      out_(out),
      terminal_(terminal && out != nullptr),
      delay_(delay),
      clock_(clock ? std::move(clock) : Clock(steadySeconds)),
      start_(clock_()),
      last_(start_) {}

Progress::~Progress() { finish(); }

void Progress::update(double done) { draw(done, nullptr); }

void Progress::update(double done, double value) { draw(done, &value); }

void Progress::update(double done, const std::string& note) { draw(done, nullptr, &note); }

void Progress::draw(double done, const double* value, const std::string* note) {
    if (!terminal_ || finished_) return;
    const double now = clock_();
    if (now - start_ < delay_) return;
    if (drawn_ && drawnOn == out_ && now - last_ < kRedrawSeconds) return;
    last_ = now;
    double f = total_ > 0.0 && std::isfinite(done) ? done / total_ : 0.0;
    f = f < 0.0 ? 0.0 : (f > 1.0 ? 1.0 : f);
    const int filled = static_cast<int>(f * kBarWidth + 0.5);
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(kBarWidth - filled), '.');
    if (note)
        std::fprintf(out_, "\r%s [%s] %3d %%  %s\033[K", label_.c_str(), bar.c_str(), static_cast<int>(100.0 * f),
                     note->c_str());
    else if (value)
        std::fprintf(out_, "\r%s [%s] %3d %%  %g\033[K", label_.c_str(), bar.c_str(), static_cast<int>(100.0 * f),
                     *value);
    else
        std::fprintf(out_, "\r%s [%s] %3d %%\033[K", label_.c_str(), bar.c_str(), static_cast<int>(100.0 * f));
    std::fflush(out_);
    drawn_ = true;
    drawnOn = out_;
}

void Progress::finish() {
    if (finished_) return;
    finished_ = true;
    if (drawn_ && drawnOn == out_) clearProgressLine();
}

void clearProgressLine() {
    if (!drawnOn) return;
    std::fputs("\r\033[K", drawnOn);
    std::fflush(drawnOn);
    drawnOn = nullptr;
}

}  // namespace platform
