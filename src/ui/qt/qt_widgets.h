#pragma once
// The few widget classes of the Qt host that differ from Qt's own, so that
// the view and the accessible interfaces (qt_accessible.h) can tell them apart.
// Internal to the Qt host.

#include <QComboBox>
#include <QWidget>
#include <string>

namespace ui::qtview {

// A check box or radio button never changes its own state: the click is
// reported, and the model's answer comes back through DialogView::mirror.
template <class Base>
class ModelButton : public Base {
  public:
    using Base::Base;

  protected:
    void nextCheckState() override {}
};

// A drop-down list with an editable text part. Qt takes a text typed there
// that equals an entry as a choice of that entry when the list loses the
// focus; Windows does not, and neither may this list: leaving() tells a
// choice made that way from one made from the list.
class ModelCombo : public QComboBox {
  public:
    using QComboBox::QComboBox;
    bool leaving() const { return leaving_; }

  protected:
    void focusOutEvent(QFocusEvent* e) override {
        leaving_ = true;
        QComboBox::focusOutEvent(e);
        leaving_ = false;
    }

  private:
    bool leaving_ = false;
};

// Holds the window's status bar fields, so that assistive technology finds
// them as one status bar. It draws nothing of its own.
class StatusArea : public QWidget {
  public:
    using QWidget::QWidget;
};

// The window's results for assistive technology (ui::announce): a notification
// named by the last result, shown anew for each so that a screen reader speaks
// it. It has no size and draws nothing.
class Notice : public QWidget {
  public:
    explicit Notice(QWidget* parent, const std::string& text) : QWidget(parent), text_(text) {
        setFocusPolicy(Qt::NoFocus);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setGeometry(0, 0, 0, 0);
    }
    const std::string& text() const { return text_; }

  private:
    const std::string& text_;
};

}  // namespace ui::qtview
