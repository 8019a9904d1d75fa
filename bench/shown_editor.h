#pragma once

#include "document/document.h"
#include "platform/qt/qt_services.h"
#include "platform/qt/window_frame.h"
#include "views/qt/views.h"
#include "windows/frmMain.h"

#include <QApplication>

#include <memory>
#include <string>

namespace kestrix::bench {

// The editor on a file, its main window shown.
struct ShownEditor {
    explicit ShownEditor(const std::string& path) : services{"\"" + path + "\"", ".", "."} {
        views::RegisterViews(services);
        view = services.CreateFrame(form);
        form.Form_Load();
        view->show();
        QApplication::processEvents();
    }
    Document doc;
    platform::qt::QtServices services;
    frmMain form{doc, services};
    std::unique_ptr<platform::qt::WindowFrame> view;
};

} // namespace kestrix::bench
