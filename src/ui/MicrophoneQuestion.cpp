#include "MicrophoneQuestion.h"

#include "WindowActivation.h"

#include <QMessageBox>
#include <QPushButton>

namespace lullwick {

MicrophoneQuestion::MicrophoneQuestion(QObject* parent) : QObject(parent) {}

MicrophoneQuestion::~MicrophoneQuestion() {
    delete m_dialog;
}

void MicrophoneQuestion::ask(std::function<void(bool allowed)> reply) {
    m_replies.append(std::move(reply));
    if (!m_dialog) {
        m_dialog = new QMessageBox;
        m_dialog->setObjectName(QStringLiteral("microphoneQuestion"));
        m_dialog->setIcon(QMessageBox::Question);
        m_dialog->setWindowTitle(tr("Lullwick"));
        m_dialog->setText(tr("“Lullwick” would like to access the microphone."));
        m_dialog->setInformativeText(
            tr("It listens for your double clap: audio is analyzed in memory and never "
               "recorded."));
        QPushButton* deny = m_dialog->addButton(tr("Don't Allow"), QMessageBox::RejectRole);
        deny->setObjectName(QStringLiteral("dontAllow"));
        QPushButton* allow = m_dialog->addButton(tr("Allow"), QMessageBox::AcceptRole);
        allow->setObjectName(QStringLiteral("allow"));
        m_dialog->setDefaultButton(allow);
        m_dialog->setEscapeButton(deny);
        QMessageBox* dialog = m_dialog;
        connect(dialog, &QMessageBox::finished, this, [this, dialog, allow] {
            dialog->deleteLater();
            answer(dialog->clickedButton() == allow);
        });
    }
    m_dialog->show();
    bringToFront(*m_dialog);
}

void MicrophoneQuestion::answer(bool allowed) {
    // A reply may ask again; it then starts a new round with a new dialog.
    const QList<std::function<void(bool)>> replies = std::exchange(m_replies, {});
    m_dialog = nullptr;
    for (const auto& reply : replies)
        reply(allowed);
}

} // namespace lullwick
