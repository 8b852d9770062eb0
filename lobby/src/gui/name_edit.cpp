#include "lobby/name_edit.h"

#include <QApplication>

#include "lobby/account_form.h"

namespace tessary::lobby {

NameEdit::NameEdit(NameField field, QWidget* parent) : QLineEdit(parent), field_(field) {
    setMaxLength(static_cast<int>(kNameLimit));
    // Setting the filtered text is itself a change, so every refused
    // character of a paste is treated in turn.
    connect(this, &QLineEdit::textChanged, this, &NameEdit::applyRule);
}

void NameEdit::applyRule() {
    const auto result = filterName(text().toStdU32String(), field_);
    if (!result.refused) return;
    QApplication::beep();
    emit refused();
    setText(QString::fromStdU32String(result.text));
    setCursorPosition(static_cast<int>(result.caret));
}

}  // namespace tessary::lobby
