#include "platform/window.h"
#include "scripted_services.h"

#include <gtest/gtest.h>

#include <string>

using namespace kestrix;
using platform::Button;
using platform::TextField;
using platform::Window;

namespace {

class frmQuestion : public Window {
  public:
    frmQuestion() : Window("frmQuestion") {
        DefaultButton = &cmdOK;
        CancelButton = &cmdCancel;
        cmdOK.Click = [this] {
            Confirmed = true;
            Unload();
        };
        cmdCancel.Click = [this] { Unload(); };
    }
    TextField txtName{"txtName"};
    Button cmdOK{"cmdOK"};
    Button cmdCancel{"cmdCancel"};
    bool Confirmed = false;
    bool MayClose = true;

  protected:
    bool QueryUnload() override { return MayClose; }
};

} // namespace

TEST(WindowTest, EnterAndEscapePressTheirButtonsAndTheCloseCheckCanRefuse) {
    frmQuestion question;
    question.MayClose = false;
    question.UserPressesEscape();
    EXPECT_FALSE(question.IsClosed());
    question.MayClose = true;
    question.CancelButton = nullptr;
    question.UserPressesEscape();
    EXPECT_FALSE(question.IsClosed()) << "no cancel button, nothing happens";
    question.UserPressesEnter();
    EXPECT_TRUE(question.IsClosed());
    EXPECT_TRUE(question.Confirmed);
}

namespace {

// What a handler of a window does: opens a question, waits for it, reads its answer.
std::string AskForName(platform::Services& services, const std::string& suggestion) {
    frmQuestion question;
    question.txtName.SetText(suggestion);
    services.ShowModal(question);
    return question.Confirmed ? question.txtName.Text() : std::string();
}

} // namespace

TEST(WindowTest, AModalWindowOpenedByAHandlerIsDrivenByTheScriptAndReadBack) {
    test::ScriptedServices services;
    services.steps.push_back([](Window& window) {
        auto& question = test::ScriptedServices::As<frmQuestion>(window);
        EXPECT_EQ(question.txtName.Text(), "MYCAR");
        question.txtName.UserTypes("ROADSTER");
    });
    services.steps.push_back([](Window& window) { window.UserPressesEnter(); });
    EXPECT_EQ(AskForName(services, "MYCAR"), "ROADSTER");

    services.steps.push_back([](Window& window) {
        test::ScriptedServices::As<frmQuestion>(window).txtName.UserTypes("VAN");
        window.UserPressesEscape();
    });
    EXPECT_EQ(AskForName(services, "MYCAR"), "") << "cancelled";
    EXPECT_EQ(services.shownWindows, (std::vector<std::string>{"frmQuestion", "frmQuestion"}));
    EXPECT_TRUE(services.steps.empty());
}
