// The data view's geometry as the core needs it to keep the caret in sight:
// how many rows fit, how wide the client area is, and how wide a piece of a
// row is in the view's font. The shell measures; tests use fixed cells.
#pragma once

#include <cstdint>
#include <string_view>

#include "port/port.h"
#include "views/data_view.h"

namespace lumo {

class DataViewMetrics {
public:
    virtual ~DataViewMetrics() = default;
    // `data view visible rows`: client height (caption strip included)
    // divided by the line height.
    virtual std::int32_t visible_rows() const = 0;
    // Client width in pixels.
    virtual std::int32_t client_width() const = 0;
    // Width in pixels of `text` in the data view font; bold (weight 700) on
    // the heading line, regular otherwise.
    virtual std::int32_t text_width(std::string_view text, bool bold) const = 0;
};

// Every character one cell wide (a bold one a pixel wider). Serves until the
// shell supplies its measurements, and in tests.
class FixedDataViewMetrics final : public DataViewMetrics {
public:
    std::int32_t rows = 20;
    std::int32_t width = 640;
    std::int32_t cell = 8;

    std::int32_t visible_rows() const override { return rows; }
    std::int32_t client_width() const override { return width; }
    std::int32_t text_width(std::string_view text, bool bold) const override {
        return static_cast<std::int32_t>(text.size()) * (cell + (bold ? 1 : 0));
    }
};

// The shell's measurements: the data view's geometry as last measured and
// its font through the port.
class MeasuredDataViewMetrics final : public DataViewMetrics {
public:
    // Both outlive this object.
    MeasuredDataViewMetrics(const DataViewGeometry& geometry, TextMeasure& measure)
        : geometry_(geometry), measure_(measure) {}

    std::int32_t visible_rows() const override { return geometry_.visible_rows(); }
    std::int32_t client_width() const override { return geometry_.client_width; }
    std::int32_t text_width(std::string_view text, bool bold) const override {
        return bold ? measure_.bold_text_width(ViewId::data_view, text) : measure_.text_width(ViewId::data_view, text);
    }

private:
    const DataViewGeometry& geometry_;
    TextMeasure& measure_;
};

}  // namespace lumo
