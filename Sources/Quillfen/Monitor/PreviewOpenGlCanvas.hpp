#pragma once
// The preview's drawing through OpenGL: the picture's three planes uploaded as single-channel
// textures (8 or 16 bits a sample, straight from the decoder's buffers), converted to RGB in
// a fragment shader with the exposure and focus assists, and drawn as one quad turned and
// mirrored by the preview's layout.

#include <QOpenGLFunctions>
#include <QOpenGLShaderProgram>
#include <QOpenGLWidget>

#include <array>

#include "Video/DecodedVideoFrame.hpp"

namespace Quillfen::Monitor {

class NetworkPreviewView;

class PreviewOpenGlCanvas final : public QOpenGLWidget, protected QOpenGLFunctions {
public:
    explicit PreviewOpenGlCanvas(NetworkPreviewView& view);
    ~PreviewOpenGlCanvas() override;

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    void upload(const Video::DecodedVideoFrame& frame);
    bool buildProgram(bool withAssists);
    void releaseTextures();

    NetworkPreviewView& view_;
    QOpenGLShaderProgram program_;
    bool programIsReady_ = false;
    bool drawsAssists_ = false;  // the assists' shader compiled
    // What the textures' storage was allocated for; all zero before the first picture.
    struct TextureShape {
        int width = 0;
        int height = 0;
        int chromaShiftX = 0;
        int chromaShiftY = 0;
        int bytesPerSample = 0;
        bool operator==(const TextureShape&) const = default;
    };

    std::array<GLuint, 3> textures_{};
    TextureShape textureShape_;
    Video::DecodedVideoFrameRef uploadedFrame_;
};

}  // namespace Quillfen::Monitor
