#pragma once
// Hexadecimal text boxes (phone numbers, passwords, addresses, station numbers): a typed key
// that is no hexadecimal digit inserts nothing ("a"-"f" become "A"-"F"), and with colon fields
// a ":" follows each complete digit pair as it is typed ("31522408" gives "31:52:24:08:").
// Pasted, dropped and input-method text goes through FilterHexText, so no way of entering text
// gets anything else into the box.

#include <QObject>

class QKeyEvent;
class QLineEdit;

void InstallHexTextFilter(QLineEdit *box, bool colonFields);
// Keys that keep their normal meaning in a hexadecimal box: editing and moving keys, keys
// without text and shortcuts (paste among them; pasted text is filtered as an edit).
bool IsEditingKey(const QKeyEvent *key);

class HexKeyFilter : public QObject
{
    Q_OBJECT
public:
    HexKeyFilter(bool colonFields, QObject *parent) : QObject(parent), m_colonFields(colonFields) {}
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool m_colonFields;
};
