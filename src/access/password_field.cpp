#include "access/password_field.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QProxyStyle>

namespace tarvik {

namespace {

// The application's style with "*" as the password character.
class styl_hvezdicek final : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* volba, const QWidget* widget,
                  QStyleHintReturn* vysledek) const override {
        if (hint == SH_LineEdit_PasswordCharacter)
            return u'*';
        return QProxyStyle::styleHint(hint, volba, widget, vysledek);
    }
};

} // namespace

void zobrazuj_hvezdicky(QLineEdit* pole) {
    // One style for all fields, living as long as the application (a widget does not own the
    // style it is given).
    static QPointer<QStyle> styl;
    if (!styl) {
        styl = new styl_hvezdicek;
        styl->setParent(QCoreApplication::instance());
    }
    pole->setStyle(styl);
    pole->setEchoMode(QLineEdit::Password);
}

} // namespace tarvik
