#include "shell/parameterprompt.h"

#include "export/parametervalue.h"
#include "host/vb/errors.h"

#include <QInputDialog>

ParameterPrompt dialogParameterPrompt(QWidget *parent)
{
    return [parent](const QString &name, const QString &declaredType) {
        const QString label =
            declaredType.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(name, declaredType);
        bool ok = false;
        const QString text = QInputDialog::getText(parent, QStringLiteral("パラメータの入力"),
                                                   label, QLineEdit::Normal, QString(), &ok);
        if (!ok)
            throw HostError(
                Err::ActionCancelled,
                QStringLiteral("The value of the parameter [%1] was not given").arg(name));
        return parameterValue(name, text, declaredType);
    };
}
