#pragma once
// CPlotFormat: a plot's appearance independent of any view (default and
// current ranges, the legend position, the fonts of legend, axis titles and
// tick labels), with its keyed encoding.
#include <memory>

#include "app/plot/CTextFormat.h"
#include "platform/KeyedArchive.h"

class CPlotFormat : public platform::KeyedEncodable {
public:
    CPlotFormat();
    CPlotFormat(const CPlotFormat&) = delete;
    CPlotFormat& operator=(const CPlotFormat&) = delete;

    float minX() const { return mMinX; }
    float minY() const { return mMinY; }
    float maxX() const { return mMaxX; }
    float maxY() const { return mMaxY; }
    float currentMinX() const { return mCurrentMinX; }
    float currentMaxX() const { return mCurrentMaxX; }
    float currentMinY() const { return mCurrentMinY; }
    float currentMaxY() const { return mCurrentMaxY; }
    float legendX() const { return mLegendX; }
    float legendY() const { return mLegendY; }
    void setMinX(float v) { mMinX = v; }
    void setMinY(float v) { mMinY = v; }
    void setMaxX(float v) { mMaxX = v; }
    void setMaxY(float v) { mMaxY = v; }
    void setCurrentMinX(float v) { mCurrentMinX = v; }
    void setCurrentMaxX(float v) { mCurrentMaxX = v; }
    void setCurrentMinY(float v) { mCurrentMinY = v; }
    void setCurrentMaxY(float v) { mCurrentMaxY = v; }
    void setLegendX(float v) { mLegendX = v; }
    void setLegendY(float v) { mLegendY = v; }

    // The three fonts; a record read from an archive without them has none.
    const std::shared_ptr<CTextFormat>& legendFormat() const { return mLegendFormat; }
    const std::shared_ptr<CTextFormat>& labelsFormat() const { return mLabelsFormat; }
    const std::shared_ptr<CTextFormat>& ticksFormat() const { return mTicksFormat; }
    void setLegendFormat(std::shared_ptr<CTextFormat> f) { mLegendFormat = std::move(f); }
    void setTicksFormat(std::shared_ptr<CTextFormat> f) { mTicksFormat = std::move(f); }

    std::string archiveClassName() const override { return "CPlotFormat"; }
    // The ten floats "minX", "maxX", "minY", "maxY", "currentMinX",
    // "currentMaxX", "currentMinY", "currentMaxY", "legendX", "legendY", then
    // the objects "legend", "labels", "ticks".
    void encodeWithCoder(platform::KeyedArchiver& coder) const override;
    void initWithCoder(platform::KeyedUnarchiver& coder);

private:
    float mMinX = 0.0f, mMinY = 0.0f, mMaxX = 1.0f, mMaxY = 1.0f;
    float mCurrentMinX = 0.0f, mCurrentMaxX = 1.0f, mCurrentMinY = 0.0f, mCurrentMaxY = 1.0f;
    float mLegendX = 0.0f, mLegendY = 0.0f;
    std::shared_ptr<CTextFormat> mLegendFormat, mLabelsFormat, mTicksFormat;
};
