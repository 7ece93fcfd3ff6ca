#include "Monitor/SourcePicker.hpp"

#include <QStandardItemModel>

#include <vector>

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
    struct Entry {
        QString title;
        QString id;
        bool isEnabled;
    };
    std::vector<Entry> entries{{noSourcesTitle, {}, true}};
    int selectedRow = 0;
    for (const CaptureSource& source : controller_.sources()) {
        // A phone's name is shown as it came, never interpreted.
        entries.push_back({QString::fromStdString(source.displayName()), QString::fromStdString(source.id),
                           controller_.isSourceAvailable(source.id)});
        if (controller_.selectedSourceID() == source.id) selectedRow = static_cast<int>(entries.size()) - 1;
    }
    setEnabled(!controller_.sources().empty());

    // Rebuilt only when something changed, so an open list stays open.
    auto* model = qobject_cast<QStandardItemModel*>(this->model());
    bool same = count() == static_cast<int>(entries.size());
    for (int row = 0; same && row < count(); ++row) {
        same = itemText(row) == entries[row].title && itemData(row).toString() == entries[row].id &&
               model->item(row)->isEnabled() == entries[row].isEnabled;
    }
    reloading_ = true;
    if (!same) {
        clear();
        for (const Entry& entry : entries) {
            addItem(entry.title, entry.id);
            model->item(count() - 1)->setEnabled(entry.isEnabled);
        }
    }
    setCurrentIndex(selectedRow);
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
