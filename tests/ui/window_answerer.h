// Answers a modal dialog or pop-up menu from inside the test, once it is shown: the answer is
// queued on the window's Show event, so it runs in the dialog's own modal loop. Any other dialog
// or menu that shows up meanwhile fails the test and is closed, as is a window that the answer
// left open, so a wrong answer never leaves a test waiting.
#pragma once

#include <QObject>
#include <QWidget>
#include <functional>

namespace quillbrook::testing {

class WindowAnswerer final : public QObject {
public:
    using Answer = std::function<void(QWidget& window)>;

    // Answers the first window shown that inherits `className` ("QMessageBox", "QFileDialog", ...).
    WindowAnswerer(const char* className, Answer answer);
    ~WindowAnswerer() override;

    bool answered() const { return answered_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const char* className_;
    Answer answer_;
    bool answered_ = false;
};

} // namespace quillbrook::testing
