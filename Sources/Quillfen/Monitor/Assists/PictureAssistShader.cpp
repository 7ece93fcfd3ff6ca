#include "Monitor/Assists/PictureAssistShader.hpp"

#include <QOpenGLShaderProgram>
#include <QVector2D>
#include <QVector3D>

#include "Monitor/Assists/FalseColorScale.hpp"
#include "Monitor/Assists/FocusPeaking.hpp"
#include "Monitor/Assists/LumaCoding.hpp"
#include "Monitor/Assists/ZebraPattern.hpp"

namespace Quillfen::Monitor {
namespace {

QString glslNumber(double value) { return QString::number(value, 'f', 6); }

QString glslColor(const std::array<float, 3>& rgb) {
    return QStringLiteral("vec3(%1, %2, %3)").arg(glslNumber(rgb[0]), glslNumber(rgb[1]), glslNumber(rgb[2]));
}

// The scale as a chain of comparisons, written from the same table as the reference.
QString falseColorFunction() {
    QString body = QStringLiteral("vec3 falseColor(float level) {\n");
    for (std::size_t index = 0; index + 1 < falseColorScale.size(); ++index) {
        const FalseColorBand& band = falseColorScale[index];
        body += QStringLiteral("    if (level < %1) return %2;\n").arg(glslNumber(band.below), glslColor(band.rgb));
    }
    body += QStringLiteral("    return %1;\n}\n").arg(glslColor(falseColorScale.back().rgb));
    return body;
}

}  // namespace

QString pictureAssistShaderDeclarations() {
    return QStringLiteral(R"(
uniform float lumaCodeScale;
uniform vec2 shownPictureSize;
uniform float assistSeconds;
uniform float showsFalseColor;
uniform vec3 zebraBands;
uniform float peakingThreshold;
uniform vec3 peakingColor;
uniform vec2 lumaPlaneSize;
uniform vec2 peakingFootprint;
uniform vec2 peakingStride;
float lumaLevelAt(vec2 texel) {
    return texture2D(lumaPlane, (texel + 0.5) / lumaPlaneSize).r * sampleScale.x - sampleOffset.x;
}
float edgeStrengthAt(vec2 texel) {
    float left = lumaLevelAt(texel - vec2(1.0, 0.0));
    float right = lumaLevelAt(texel + vec2(1.0, 0.0));
    float above = lumaLevelAt(texel - vec2(0.0, 1.0));
    float below = lumaLevelAt(texel + vec2(0.0, 1.0));
    return max(abs(right - left), abs(below - above)) / 2.0;
}
bool isOnSharpEdge() {
    vec2 start = pictureCoordinate * lumaPlaneSize - peakingFootprint / 2.0;
    for (int row = 0; row < %4; ++row) {
        float down = float(row) * peakingStride.y;
        if (row > 0 && down >= peakingFootprint.y) break;
        for (int column = 0; column < %4; ++column) {
            float across = float(column) * peakingStride.x;
            if (column > 0 && across >= peakingFootprint.x) break;
            vec2 texel = min(floor(start + vec2(across, down) + %5), lumaPlaneSize - 1.0);
            if (edgeStrengthAt(texel) >= peakingThreshold) return true;
        }
    }
    return false;
}
bool isOnStripe(float across) {
    return fract(across / %1 - assistSeconds * %2) < %3;
}
)")
               .arg(glslNumber(zebraStripePeriod), glslNumber(zebraPeriodsPerSecond), glslNumber(zebraStripeDuty))
               .arg(peakingSamplesAcross)
               .arg(glslNumber(peakingPositionSlack)) +
           falseColorFunction();
}

QString pictureAssistShaderStatements() {
    return QStringLiteral(R"(
    if (showsFalseColor > 0.5) rgb = falseColor(luma * sampleScale.x - sampleOffset.x);
    float code = luma * lumaCodeScale;
    vec2 pixel = pictureCoordinate * shownPictureSize;
    if ((code > zebraBands.x && isOnStripe(pixel.x + pixel.y)) ||
        (code <= zebraBands.x && code > zebraBands.y && code < zebraBands.z && isOnStripe(pixel.x - pixel.y)))
        rgb = vec3(%1);
    if (peakingThreshold <= 1.0 && isOnSharpEdge()) rgb = peakingColor;
)")
        .arg(glslNumber(zebraStripeShade));
}

void setPictureAssistUniforms(QOpenGLShaderProgram& program, const PictureAssistSettings& requested,
                              const Video::DecodedVideoFrame& frame, QSizeF shownSize, double seconds) {
    const PictureAssistSettings settings = requested.clamped();
    const LumaCoding coding{frame.bitDepth(), frame.colorRange() == Video::ColorRange::full};
    const ZebraBands bands = zebraBands(settings, coding);
    const auto& peaking = peakingColorInfo(settings.peakingColor).rgb;
    program.setUniformValue("lumaCodeScale", frame.bytesPerSample() == 2 ? 65535.0f : 255.0f);
    const QVector2D planeSize(frame.planeWidth(0), frame.planeHeight(0));
    const QVector2D footprint(planeSize.x() / shownSize.width(), planeSize.y() / shownSize.height());
    program.setUniformValue("lumaPlaneSize", planeSize);
    program.setUniformValue("peakingFootprint", footprint);
    program.setUniformValue("peakingStride", QVector2D(peakingStride(footprint.x()), peakingStride(footprint.y())));
    program.setUniformValue("shownPictureSize", QVector2D(shownSize.width(), shownSize.height()));
    program.setUniformValue("assistSeconds", static_cast<float>(seconds));
    program.setUniformValue("showsFalseColor", settings.showsFalseColor ? 1.0f : 0.0f);
    program.setUniformValue("zebraBands", QVector3D(bands.highlightFrom, bands.skinFrom, bands.skinTo));
    program.setUniformValue("peakingThreshold",
                            settings.showsFocusPeaking
                                ? static_cast<float>(focusPeakingThreshold(settings.peakingSensitivityPercent))
                                : 2.0f);
    program.setUniformValue("peakingColor", QVector3D(peaking[0], peaking[1], peaking[2]));
}

}  // namespace Quillfen::Monitor
