#include "widgets/RadioGroup.h"

#include <QGridLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace varentis {

RadioGroup::RadioGroup(const QString& name, const QString& title, const QStringList& items,
                       QWidget* parent, int columns)
    : QGroupBox(title, parent), items_(items) {
    setObjectName(name);
    QGridLayout* grid = columns > 1 ? new QGridLayout(this) : nullptr;
    QVBoxLayout* layout = grid ? nullptr : new QVBoxLayout(this);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        group_.addButton(b, i);
        if (grid) grid->addWidget(b, i / columns, i % columns);
        else layout->addWidget(b);
    }
    connect(&group_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on) emit itemIndexChanged(id);
    });
}

int RadioGroup::itemIndex() const { return group_.checkedId(); }

void RadioGroup::setItemIndex(int index) {
    if (QAbstractButton* b = group_.button(index)) {
        b->setChecked(true);
        return;
    }
    group_.setExclusive(false);
    for (QAbstractButton* b : group_.buttons()) b->setChecked(false);
    group_.setExclusive(true);
}

} // namespace varentis
