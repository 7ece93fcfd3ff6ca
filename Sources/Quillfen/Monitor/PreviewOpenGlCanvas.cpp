#include "Monitor/PreviewOpenGlCanvas.hpp"

#include <QOpenGLContext>

#include "Log/DiagnosticLog.hpp"
#include "Monitor/Assists/PictureAssistShader.hpp"
#include "Monitor/NetworkPreviewView.hpp"
#include "Monitor/PreviewColorConversion.hpp"

namespace Quillfen::Monitor {
namespace {

// GLSL that desktop OpenGL 2.1 and later compile unchanged.
constexpr const char* vertexShader = R"(
attribute vec2 position;
attribute vec2 textureCoordinate;
varying vec2 pictureCoordinate;
void main() {
    gl_Position = vec4(position, 0.0, 1.0);
    pictureCoordinate = textureCoordinate;
}
)";

// With the assists, or (should their shader fail on some driver) the bare picture.
QString fragmentShader(bool withAssists) {
    return QStringLiteral(R"(
varying vec2 pictureCoordinate;
uniform sampler2D lumaPlane;
uniform sampler2D blueDifferencePlane;
uniform sampler2D redDifferencePlane;
uniform mat3 yuvToRgb;
uniform vec3 sampleScale;
uniform vec3 sampleOffset;
)") + (withAssists ? pictureAssistShaderDeclarations() : QString()) +
           QStringLiteral(R"(
void main() {
    float luma = texture2D(lumaPlane, pictureCoordinate).r;
    vec3 samples = vec3(luma, texture2D(blueDifferencePlane, pictureCoordinate).r,
                        texture2D(redDifferencePlane, pictureCoordinate).r);
    vec3 rgb = clamp(yuvToRgb * (samples * sampleScale - sampleOffset), 0.0, 1.0);
)") + (withAssists ? pictureAssistShaderStatements() : QString()) +
           QStringLiteral(R"(
    gl_FragColor = vec4(rgb, 1.0);
}
)");
}

constexpr GLenum unpackRowLength = 0x0CF2;  // GL_UNPACK_ROW_LENGTH
constexpr GLint red8 = 0x8229;              // GL_R8
constexpr GLint red16 = 0x822A;             // GL_R16

}  // namespace

PreviewOpenGlCanvas::PreviewOpenGlCanvas(NetworkPreviewView& view) : QOpenGLWidget(&view), view_(view) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(this, &QOpenGLWidget::frameSwapped, this, [this] { view_.didDraw(); });
}

PreviewOpenGlCanvas::~PreviewOpenGlCanvas() {
    if (!context()) return;
    makeCurrent();
    releaseTextures();
    doneCurrent();
}

void PreviewOpenGlCanvas::initializeGL() {
    initializeOpenGLFunctions();
    releaseTextures();  // a new context after the widget moved to another window
    uploadedFrame_.reset();
    programIsReady_ = buildProgram(true);
    drawsAssists_ = programIsReady_;
    if (!programIsReady_) {
        UmberlinPlatform::logLine("[Umberlin preview] The assists' shader failed, the picture is shown without them: " +
                                  program_.log().toStdString());
        programIsReady_ = buildProgram(false);
    }
    if (!programIsReady_) {
        UmberlinPlatform::logLine("[Umberlin preview] The preview shader failed: " + program_.log().toStdString());
        return;
    }
    glGenTextures(3, textures_.data());
    for (const GLuint texture : textures_) {
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
}

bool PreviewOpenGlCanvas::buildProgram(bool withAssists) {
    program_.removeAllShaders();
    return program_.addShaderFromSourceCode(QOpenGLShader::Vertex, vertexShader) &&
           program_.addShaderFromSourceCode(QOpenGLShader::Fragment, fragmentShader(withAssists)) && program_.link();
}

void PreviewOpenGlCanvas::releaseTextures() {
    if (textures_[0] != 0) glDeleteTextures(3, textures_.data());
    textures_ = {};
    textureShape_ = {};
}

// Textures keep their storage while pictures keep their size and depth: refilling them costs
// a copy of the samples, allocating them anew also a fresh buffer per plane every frame.
void PreviewOpenGlCanvas::upload(const Video::DecodedVideoFrame& frame) {
    const int bytesPerSample = frame.bytesPerSample();
    const TextureShape shape{frame.width(), frame.height(), frame.chromaShiftX(), frame.chromaShiftY(), bytesPerSample};
    const bool allocate = shape != textureShape_;
    const GLenum type = bytesPerSample == 2 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_BYTE;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int plane = 0; plane < 3; ++plane) {
        glActiveTexture(GL_TEXTURE0 + plane);
        glBindTexture(GL_TEXTURE_2D, textures_[plane]);
        glPixelStorei(unpackRowLength, frame.planeStride(plane) / bytesPerSample);
        if (allocate) {
            glTexImage2D(GL_TEXTURE_2D, 0, bytesPerSample == 2 ? red16 : red8, frame.planeWidth(plane),
                         frame.planeHeight(plane), 0, GL_RED, type, frame.planeData(plane));
        } else {
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, frame.planeWidth(plane), frame.planeHeight(plane), GL_RED, type,
                            frame.planeData(plane));
        }
    }
    glPixelStorei(unpackRowLength, 0);
    textureShape_ = shape;
}

void PreviewOpenGlCanvas::paintGL() {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    const auto& frame = view_.frame();
    if (!frame || !programIsReady_) return;
    if (frame != uploadedFrame_) {
        upload(*frame);
        uploadedFrame_ = frame;
    }

    // The picture's corners, turned and mirrored into the widget, in clip coordinates.
    const PreviewLayout layout = view_.layoutFor(size());
    const double halfWidth = layout.pictureSize.width() / 2;
    const double halfHeight = layout.pictureSize.height() / 2;
    const QPointF corners[4] = {
        {-halfWidth, -halfHeight}, {halfWidth, -halfHeight}, {-halfWidth, halfHeight}, {halfWidth, halfHeight}};
    GLfloat positions[8];
    for (int index = 0; index < 4; ++index) {
        const QPointF point = layout.layerToView.map(corners[index]);
        positions[2 * index] = static_cast<GLfloat>(2 * point.x() / width() - 1);
        positions[2 * index + 1] = static_cast<GLfloat>(1 - 2 * point.y() / height());
    }
    static constexpr GLfloat textureCoordinates[8] = {0, 0, 1, 0, 0, 1, 1, 1};

    const PreviewColorConversion conversion =
        previewColorConversion(frame->colorMatrix(), frame->colorRange(), frame->bitDepth());
    program_.bind();
    program_.setUniformValue("lumaPlane", 0);
    program_.setUniformValue("blueDifferencePlane", 1);
    program_.setUniformValue("redDifferencePlane", 2);
    program_.setUniformValue("yuvToRgb", conversion.matrix);
    program_.setUniformValue("sampleScale", conversion.scale);
    program_.setUniformValue("sampleOffset", conversion.offset);
    if (drawsAssists_) {
        setPictureAssistUniforms(program_, view_.pictureAssists(), *frame, layout.pictureSize * devicePixelRatioF(),
                                 view_.assistSeconds());
    }
    program_.enableAttributeArray("position");
    program_.enableAttributeArray("textureCoordinate");
    program_.setAttributeArray("position", positions, 2);
    program_.setAttributeArray("textureCoordinate", textureCoordinates, 2);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    program_.disableAttributeArray("position");
    program_.disableAttributeArray("textureCoordinate");
    program_.release();
}

}  // namespace Quillfen::Monitor
