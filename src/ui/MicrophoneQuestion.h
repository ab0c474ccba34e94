#pragma once

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <functional>

namespace lullwick {

// Lullwick's own question before it opens the microphone, as a system prompt would ask it:
// "Allow" or "Don't Allow". Never blocks: the answer arrives through the reply.
class MicrophoneQuestion : public QObject {
    Q_OBJECT

public:
    explicit MicrophoneQuestion(QObject* parent = nullptr);
    ~MicrophoneQuestion() override;

    // Shows the question (or brings it back if it is already up); every reply given while it
    // is up is called once with the answer. Closing it without a choice is "Don't Allow".
    void ask(std::function<void(bool allowed)> reply);

    // The question while it is up, else null.
    QMessageBox* dialog() const { return m_dialog; }

private:
    void answer(bool allowed);

    QPointer<QMessageBox> m_dialog;
    QList<std::function<void(bool)>> m_replies;
};

} // namespace lullwick
