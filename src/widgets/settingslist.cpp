#include "settingslist.h"

#include <QCompleter>
#include <QLineEdit>
#include <QWheelEvent>

SettingsList::SettingsList(const QStringList &items, const QString &text, QWidget *parent) : QComboBox(parent)
{
    // What setEditable(true) leaves behind, without building the open list and its delegate twice at
    // start-up: Qt builds the list, for an editable box, when it first opens.
    auto *edit = new QLineEdit(this);
    edit->setPalette(palette());
    {
        // Typed text must stay exactly as typed: no completion. Qt builds a completer over the items for an
        // edit that has none, only for it to be dropped; an empty one in its place costs a third as much.
        QCompleter none;
        edit->setCompleter(&none);
        setLineEdit(edit);
    }
    // Enter must not grow the list.
    setInsertPolicy(QComboBox::NoInsert);
    addItems(items);
    connect(this, &QComboBox::editTextChanged, this, &SettingsList::followText);
    setEditText(text);
}

// When editing finishes (Enter, Tab, a click elsewhere, the list opening), QComboBox picks the item the text
// names if that is not the current one. Keeping the current item on the named one leaves it nothing to pick,
// and arrow keys and the open list start from the item shown.
void SettingsList::followText(const QString &text)
{
    const int named = findText(text);
    if (named >= 0 && named != currentIndex())
        setCurrentIndex(named);
}

// A wheel turned while scrolling past a closed box would change the port without the operator meaning to.
void SettingsList::wheelEvent(QWheelEvent *event)
{
    event->ignore();
}
