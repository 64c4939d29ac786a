#pragma once

#include <QString>

class QWidget;

namespace Application {

// The program's name and version, shown as the main window's caption, in the
// About window and on every error box.
QString defaultTitle();
QString title();
void setTitle(const QString &title);

// The interface font: a 12-pixel proportional Japanese Gothic for every window.
void installFont();

// The window an error box or dialog should stay in front of: the active modal
// window, else the active window, else the main window.
QWidget *ownerWindow();
void setMainWindow(QWidget *window);

// Stores the form in ref before its constructor runs, so the constructor may
// already be reached through ref; on failure ref is null again and the error goes on.
template <typename Form>
void createForm(Form *&ref)
{
    void *memory = ::operator new(sizeof(Form));
    ref = static_cast<Form *>(memory);
    try {
        new (memory) Form(nullptr);
    } catch (...) {
        ref = nullptr;
        ::operator delete(memory);
        throw;
    }
}

template <typename Form>
void destroyForm(Form *&ref)
{
    Form *form = ref;
    ref = nullptr;
    if (form) {
        form->~Form();
        ::operator delete(form);
    }
}

}
