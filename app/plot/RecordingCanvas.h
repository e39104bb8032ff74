#pragma once
// A canvas that keeps every drawing operation with the graphics state it was
// made in, and measures text with fixed metrics.  Used by the tests of the
// plotting kit, which look at what was drawn instead of at pixels.
#include <vector>

#include "app/plot/Canvas.h"

struct CanvasOp {
    enum class Kind { Save, Restore, Clip, Stroke, Fill, Rotate, Text };
    Kind kind = Kind::Save;
    Path path;                   // Stroke, Fill
    PlotRect rect;               // Clip: the rectangle given
    std::string text;            // Text
    FontDescription font;        // Text
    PlotPoint origin;            // Text
    float angle = 0.0f;          // Rotate: this turn; other kinds: the total turn
    // The graphics state at the time of the operation.
    Color color;                 // current colour (Text: the text's colour)
    float lineWidth = 1.0f;
    std::vector<float> dash;
    float dashPhase = 0.0f;
    bool clipped = false;        // a clip rectangle is in force
    PlotRect clip;               // the last clip rectangle set, when clipped
};

class RecordingCanvas : public Canvas {
public:
    // Text metrics: width = characters x charWidth x point size,
    // height = lineHeight x point size.
    explicit RecordingCanvas(float charWidth = 0.5f, float lineHeight = 1.25f)
        : mCharWidth(charWidth), mLineHeight(lineHeight) {}

    void save() override;
    void restore() override;
    void clipToRect(const PlotRect& r) override;
    void setColor(const Color& c) override { mState.color = c; }
    void setLineWidth(float w) override { mState.lineWidth = w; }
    void setLineDash(const std::vector<float>& pattern, float phase) override {
        mState.dash = pattern;
        mState.dashPhase = phase;
    }
    void stroke(const Path& path) override;
    void fill(const Path& path) override;
    void rotateByDegrees(float degrees) override;
    PlotSize measureText(const std::string& text, const FontDescription& font) override;
    void drawText(const std::string& text, const FontDescription& font, PlotPoint origin,
                  const Color& color) override;

    const std::vector<CanvasOp>& ops() const { return mOps; }
    void clear() { mOps.clear(); }
    // Operations of one kind, in order.
    std::vector<CanvasOp> opsOfKind(CanvasOp::Kind kind) const;
    // Depth of the save stack (0 when every save was restored).
    size_t saveDepth() const { return mStack.size(); }

private:
    struct State {
        Color color = Color::blackColor();
        float lineWidth = 1.0f;
        std::vector<float> dash;
        float dashPhase = 0.0f;
        bool clipped = false;
        PlotRect clip;
        float angle = 0.0f;
    };
    CanvasOp stateOp(CanvasOp::Kind kind) const;

    float mCharWidth;
    float mLineHeight;
    State mState;
    std::vector<State> mStack;
    std::vector<CanvasOp> mOps;
};
