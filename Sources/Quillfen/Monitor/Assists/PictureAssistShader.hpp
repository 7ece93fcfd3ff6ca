#pragma once
// The assists in the preview's fragment shader, by the same rules as the CPU reference: the
// GLSL that declares them and the statements that apply them to the converted colour, and
// their uniforms for one frame. GLSL 1.10, so Mesa's software OpenGL runs it too.

#include <QSizeF>
#include <QString>

#include "Monitor/Assists/PictureAssistSettings.hpp"
#include "Video/DecodedVideoFrame.hpp"

class QOpenGLShaderProgram;

namespace Quillfen::Monitor {

// Uniforms and functions; they read `lumaPlane`, `sampleScale` and `sampleOffset`.
QString pictureAssistShaderDeclarations();
// Statements that change `vec3 rgb` for the pixel at `pictureCoordinate`, whose luma texture
// value is `luma`.
QString pictureAssistShaderStatements();

// `shownSize`: the picture's size on screen in device pixels, before turning.
void setPictureAssistUniforms(QOpenGLShaderProgram& program, const PictureAssistSettings& settings,
                              const Video::DecodedVideoFrame& frame, QSizeF shownSize, double seconds);

}  // namespace Quillfen::Monitor
