#pragma once
// One monitor window: the window root as its content, and the application's menus
// (File: New Window, Connect to Address, Close Window, Quit; Edit: Preferences; View: the
// picture assists and the scopes; Help: the user manual).

#include <QMainWindow>

#include "Shell/MonitorWindowServices.hpp"

namespace Quillfen {

class QuillfenApp;
class RazozoroviRidoraRezi;

class MonitorWindow : public QMainWindow {
    Q_OBJECT

public:
    static constexpr const char* title = "Umberlin Rezuvidodo";
    static constexpr int defaultWidth = 1180;
    static constexpr int defaultHeight = 732;

    // Deletes itself once closed.
    MonitorWindow(QuillfenApp& application, const MonitorWindowServices& services);

    RazozoroviRidoraRezi& root() { return *root_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void addMenus();

    QuillfenApp& application_;
    RazozoroviRidoraRezi* root_;
};

}  // namespace Quillfen
