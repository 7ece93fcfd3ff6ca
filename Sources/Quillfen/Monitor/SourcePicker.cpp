#include "Monitor/SourcePicker.hpp"

#include <QStandardItemModel>

#include "Session/CaptureSessionController.hpp"

namespace Quillfen {

namespace {

const QString noSourcesTitle = "No sources";

}  // namespace

SourcePicker::SourcePicker(CaptureSessionController& controller, QWidget* parent)
    : QComboBox(parent), controller_(controller) {
    setMinimumWidth(minimumPickerWidth);
    setMaximumWidth(maximumPickerWidth);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setAccessibleName("Source");
    connect(this, &QComboBox::activated, this, &SourcePicker::choose);
    reload();
}

QSize SourcePicker::sizeHint() const { return {idealPickerWidth, QComboBox::sizeHint().height()}; }

void SourcePicker::reload() {
    reloading_ = true;
    clear();
    addItem(noSourcesTitle);
    auto* entries = qobject_cast<QStandardItemModel*>(model());
    int selectedRow = 0;
    for (const CaptureSource& source : controller_.sources()) {
        // A phone's name is shown as it came, never interpreted.
        addItem(QString::fromStdString(source.displayName()), QString::fromStdString(source.id));
        const int row = count() - 1;
        entries->item(row)->setEnabled(controller_.isSourceAvailable(source.id));
        if (controller_.selectedSourceID() == source.id) selectedRow = row;
    }
    setCurrentIndex(selectedRow);
    setEnabled(!controller_.sources().empty());
    reloading_ = false;
}

void SourcePicker::choose(int index) {
    if (reloading_) return;
    const QString id = itemData(index).toString();
    // "No sources" selects nothing: the picker goes back to what the controller shows.
    if (!id.isEmpty()) controller_.selectSource(id.toStdString(), true);
    reload();
}

}  // namespace Quillfen
