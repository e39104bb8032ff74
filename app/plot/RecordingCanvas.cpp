#include "app/plot/RecordingCanvas.h"

CanvasOp RecordingCanvas::stateOp(CanvasOp::Kind kind) const {
    CanvasOp op;
    op.kind = kind;
    op.color = mState.color;
    op.lineWidth = mState.lineWidth;
    op.dash = mState.dash;
    op.dashPhase = mState.dashPhase;
    op.clipped = mState.clipped;
    op.clip = mState.clip;
    op.angle = mState.angle;
    return op;
}

void RecordingCanvas::save() {
    mStack.push_back(mState);
    mOps.push_back(stateOp(CanvasOp::Kind::Save));
}

void RecordingCanvas::restore() {
    // An unbalanced restore is ignored, as painters do.
    if (!mStack.empty()) {
        mState = mStack.back();
        mStack.pop_back();
    }
    mOps.push_back(stateOp(CanvasOp::Kind::Restore));
}

void RecordingCanvas::clipToRect(const PlotRect& r) {
    mState.clipped = true;
    mState.clip = r;
    CanvasOp op = stateOp(CanvasOp::Kind::Clip);
    op.rect = r;
    mOps.push_back(op);
}

void RecordingCanvas::stroke(const Path& path) {
    CanvasOp op = stateOp(CanvasOp::Kind::Stroke);
    op.path = path;
    mOps.push_back(std::move(op));
}

void RecordingCanvas::fill(const Path& path) {
    CanvasOp op = stateOp(CanvasOp::Kind::Fill);
    op.path = path;
    mOps.push_back(std::move(op));
}

void RecordingCanvas::rotateByDegrees(float degrees) {
    mState.angle += degrees;
    CanvasOp op = stateOp(CanvasOp::Kind::Rotate);
    op.angle = degrees;
    mOps.push_back(op);
}

PlotSize RecordingCanvas::measureText(const std::string& text, const FontDescription& font) {
    // Count characters, not bytes, of the UTF-8 text.
    size_t chars = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++chars;
    return {static_cast<float>(chars) * mCharWidth * font.pointSize, mLineHeight * font.pointSize};
}

void RecordingCanvas::drawText(const std::string& text, const FontDescription& font, PlotPoint origin,
                               const Color& color) {
    CanvasOp op = stateOp(CanvasOp::Kind::Text);
    op.text = text;
    op.font = font;
    op.origin = origin;
    op.color = color;
    mOps.push_back(std::move(op));
}

std::vector<CanvasOp> RecordingCanvas::opsOfKind(CanvasOp::Kind kind) const {
    std::vector<CanvasOp> out;
    for (const auto& op : mOps)
        if (op.kind == kind) out.push_back(op);
    return out;
}
