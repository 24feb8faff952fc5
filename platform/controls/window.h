// A top-level window. Closing the last one may end the application.
#pragma once

#include <memory>
#include <string>

#include "platform/controls/button_cell.h"
#include "platform/controls/observable.h"

namespace platform {

class Panel;

class Window : public Observable {
  public:
    static std::shared_ptr<Window> create(std::string title = {});
    ~Window() override;

    const std::string& title() const { return title_; }
    void setTitle(std::string title);

    bool isVisible() const { return visible_; }
    void makeKeyAndOrderFront(Object* sender);
    // Hides the window without closing it.
    void orderOut(Object* sender);
    // Hides the window and tells the application, which may then terminate
    // after its last window closed.
    void close();

    // The cell that the Return key activates; null for none.
    std::shared_ptr<ButtonCell> defaultButtonCell() const { return defaultButtonCell_.lock(); }
    void setDefaultButtonCell(const std::shared_ptr<ButtonCell>& cell);
    // The Return key: clicks the default button cell. Returns whether an
    // action was sent.
    bool performDefaultButtonClick();

    // The document-modal sheet on this window, or null. While a sheet is
    // attached the window takes no input.
    std::shared_ptr<Panel> attachedSheet() const { return attachedSheet_.lock(); }
    bool acceptsInput() const { return attachedSheet() == nullptr; }

  protected:
    explicit Window(std::string title);
    void setVisible(bool visible);

  private:
    friend class Application;
    std::string title_;
    bool visible_ = false;
    std::weak_ptr<ButtonCell> defaultButtonCell_;
    std::weak_ptr<Panel> attachedSheet_;
};

class Panel : public Window {
  public:
    static std::shared_ptr<Panel> create(std::string title = {});

    // The window this panel is attached to as a sheet, or null.
    std::shared_ptr<Window> sheetParent() const { return sheetParent_.lock(); }
    bool isSheet() const { return sheetParent() != nullptr; }

  protected:
    explicit Panel(std::string title);

  private:
    friend class Application;
    std::weak_ptr<Window> sheetParent_;
};

}  // namespace platform
