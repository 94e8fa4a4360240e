#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QStringList>

namespace varentis {

// A framed group of radio buttons with one selected item index, -1 for none. With more than
// one column the items run row by row across the columns.
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& name, const QString& title, const QStringList& items,
               QWidget* parent = nullptr, int columns = 1);

    int itemIndex() const;
    void setItemIndex(int index);
    QStringList items() const { return items_; }

signals:
    void itemIndexChanged(int index);

private:
    QButtonGroup group_;
    QStringList items_;
};

} // namespace varentis
