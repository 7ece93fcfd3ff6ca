#include "Monitor/TeleprompterTextViewport.hpp"

#include <QAbstractTextDocumentLayout>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTextBlock>
#include <QTextCursor>

#include <algorithm>
#include <cmath>
#include <vector>

#include "Monitor/TeleprompterColorStorage.hpp"
#include "Teleprompter/TeleprompterScrollPosition.hpp"

namespace Quillfen {

namespace {

constexpr int bandHeight = 256;  // points of text per cached pixmap
constexpr int bandsKept = 12;    // bands further from the view than this are dropped
// Room around a band for the shadows to spread into.
constexpr int shadowMargin = 8;
constexpr int wideShadowRadius = 5;
constexpr int wideShadowDrop = 1;
constexpr int narrowShadowRadius = 1;
constexpr double readingLineOpacity = 0.2;
constexpr double fadeLength = 0.08;  // of the height, at the top and at the bottom

// One pass of a running-sum box blur along rows (step 1) or columns (step = width) of an
// 8-bit coverage image.
void boxBlur(std::vector<uchar>& coverage, int width, int height, int radius, bool alongRows) {
    const int lines = alongRows ? height : width;
    const int length = alongRows ? width : height;
    const int stride = alongRows ? 1 : width;
    std::vector<uchar> line(length);
    const int window = 2 * radius + 1;
    for (int l = 0; l < lines; ++l) {
        uchar* first = coverage.data() + (alongRows ? l * width : l);
        for (int i = 0; i < length; ++i) line[i] = first[i * stride];
        int sum = 0;
        for (int i = -radius; i <= radius; ++i) sum += line[std::clamp(i, 0, length - 1)];
        for (int i = 0; i < length; ++i) {
            first[i * stride] = static_cast<uchar>(sum / window);
            sum += line[std::min(i + radius + 1, length - 1)] - line[std::max(i - radius, 0)];
        }
    }
}

// A soft copy of `text`'s shape in `color`: three box passes approximate a Gaussian blur of
// the given radius.
QImage shadow(const QImage& text, int radius, QColor color, double opacity) {
    const int width = text.width();
    const int height = text.height();
    std::vector<uchar> coverage(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(text.constScanLine(y));
        for (int x = 0; x < width; ++x) coverage[y * width + x] = static_cast<uchar>(qAlpha(row[x]));
    }
    const int passRadius = std::max(1, radius / 2);
    for (int pass = 0; pass < (radius > 1 ? 3 : 1); ++pass) {
        boxBlur(coverage, width, height, passRadius, true);
        boxBlur(coverage, width, height, passRadius, false);
    }
    QImage result(width, height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int alpha = static_cast<int>(coverage[y * width + x] * opacity);
            row[x] = qPremultiply(qRgba(color.red(), color.green(), color.blue(), alpha));
        }
    }
    result.setDevicePixelRatio(text.devicePixelRatio());
    return result;
}

}  // namespace

TeleprompterTextViewport::TeleprompterTextViewport(TeleprompterScrollPosition& scrollPosition, QWidget* parent)
    : QWidget(parent), scrollPosition_(scrollPosition) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    document_.setDocumentMargin(0);
    document_.setUndoRedoEnabled(false);
    connect(&scrollPosition_, &TeleprompterScrollPosition::offsetChanged, this, qOverload<>(&QWidget::update));
    relayout();
}

void TeleprompterTextViewport::setScript(const QString& script) {
    if (script == script_) return;
    script_ = script;
    relayout();
}

void TeleprompterTextViewport::setAppearance(const TeleprompterAppearance& appearance) {
    if (withinRanges(appearance) == appearance_) return;
    appearance_ = withinRanges(appearance);
    relayout();
}

double TeleprompterTextViewport::textTop() const { return height() * leadingSpace - scrollPosition_.offset(); }

void TeleprompterTextViewport::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    relayout();
}

void TeleprompterTextViewport::relayout() {
    bands_.clear();
    QFont font = this->font();
    font.setPixelSize(static_cast<int>(std::lround(appearance_.textSize)));
    font.setWeight(QFont::DemiBold);
    document_.setDefaultFont(font);
    document_.setPlainText(script_);
    document_.setTextWidth(std::max(1.0, width() - 2 * horizontalInset));

    QTextBlockFormat lines;
    lines.setLineHeight(appearance_.lineSpacing, QTextBlockFormat::LineDistanceHeight);
    lines.setAlignment(teleprompterTextAlignment(appearance_.textAlignment) == TeleprompterTextAlignment::center
                           ? Qt::AlignHCenter
                           : Qt::AlignLeft);
    QTextCursor everything(&document_);
    everything.select(QTextCursor::Document);
    everything.mergeBlockFormat(lines);

    // The content: the leading space, the text, the trailing space. The offset is clamped to
    // it at once, so a smaller text pulls the offset back before the next paint.
    const double h = height();
    scrollPosition_.setViewportHeight(h);
    scrollPosition_.setContentHeight(h * (leadingSpace + trailingSpace) + document_.size().height());
    update();
}

QPixmap TeleprompterTextViewport::band(int index) {
    if (auto cached = bands_.find(index); cached != bands_.end()) return cached->second;

    const double ratio = devicePixelRatioF();
    const QSize size(static_cast<int>(std::ceil((document_.textWidth() + 2 * shadowMargin) * ratio)),
                     static_cast<int>(std::ceil((bandHeight + 2 * shadowMargin) * ratio)));
    // The text's shape, with the margin around it so the shadows can spread.
    const auto drawText = [&](QColor color) {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.translate(shadowMargin, shadowMargin - index * bandHeight);
        QAbstractTextDocumentLayout::PaintContext context;
        context.palette.setColor(QPalette::Text, color);
        context.clip = QRectF(-shadowMargin, index * bandHeight - shadowMargin,
                              document_.textWidth() + 2 * shadowMargin, bandHeight + 2 * shadowMargin);
        document_.documentLayout()->draw(&painter, context);
        return image;
    };

    const QColor shadowColor = TeleprompterColorStorage::color(appearance_.shadowColor);
    const double strength = appearance_.shadowStrength;
    QImage composed = drawText(TeleprompterColorStorage::color(appearance_.textColor));
    if (strength > 0) {
        const QImage shape = drawText(Qt::black);
        QImage shadowed(size, QImage::Format_ARGB32_Premultiplied);
        shadowed.setDevicePixelRatio(ratio);
        shadowed.fill(Qt::transparent);
        QPainter painter(&shadowed);
        painter.drawImage(QPointF(0, wideShadowDrop),
                          shadow(shape, std::lround(wideShadowRadius * ratio), shadowColor, strength));
        painter.drawImage(QPointF(0, 0), shadow(shape, std::lround(narrowShadowRadius * ratio), shadowColor, strength));
        painter.drawImage(QPointF(0, 0), composed);
        painter.end();
        composed = shadowed;
    }
    // Bands abut: keep the horizontal margin for the shadows, cut the vertical one.
    QPixmap pixmap = QPixmap::fromImage(composed.copy(0, static_cast<int>(shadowMargin * ratio), size.width(),
                                                      static_cast<int>(std::ceil(bandHeight * ratio))));
    pixmap.setDevicePixelRatio(ratio);
    return bands_[index] = pixmap;
}

void TeleprompterTextViewport::paintEvent(QPaintEvent*) {
    const double h = height();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    const double backdrop = appearance_.backdropOpacity;
    if (backdrop > 0) {
        QPainterPath rounded;
        rounded.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
        painter.fillPath(rounded, QColor::fromRgbF(0, 0, 0, backdrop));
    }

    // The text and the reading line, drawn into a layer that the fade then masks.
    const double ratio = devicePixelRatioF();
    QImage layer(size() * ratio, QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(ratio);
    layer.fill(Qt::transparent);
    QPainter content(&layer);
    const double top = textTop();
    const int firstBand = std::max(0, static_cast<int>(std::floor(-top / bandHeight)));
    const int lastBand = static_cast<int>(std::floor((h - top) / bandHeight));
    const int bandCount = static_cast<int>(std::ceil(document_.size().height() / bandHeight));
    for (int index = firstBand; index <= std::min(lastBand, bandCount - 1); ++index)
        content.drawPixmap(QPointF(horizontalInset - shadowMargin, top + index * bandHeight), band(index));
    std::erase_if(bands_, [&](const auto& cached) {
        return cached.first < firstBand - bandsKept / 2 || cached.first > lastBand + bandsKept / 2;
    });
    content.fillRect(QRectF(0, h * readingLine, width(), 1), QColor::fromRgbF(1, 1, 1, readingLineOpacity));

    QLinearGradient fade(0, 0, 0, h);
    fade.setColorAt(0, Qt::transparent);
    fade.setColorAt(fadeLength, Qt::black);
    fade.setColorAt(1 - fadeLength, Qt::black);
    fade.setColorAt(1, Qt::transparent);
    content.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    content.fillRect(layer.rect(), fade);
    content.end();
    painter.drawImage(QPointF(0, 0), layer);
}

}  // namespace Quillfen
