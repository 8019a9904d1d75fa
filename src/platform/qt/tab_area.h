#pragma once

#include <QButtonGroup>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QAbstractButton;
class QGridLayout;
class QStackedWidget;

namespace kestrix::platform::qt {

// Pages whose tabs stand in rows of four that keep their places. Ctrl+Tab, Ctrl+Page Down
// and their reverse step through the pages.
class TabArea : public QWidget {
  public:
    static constexpr int kNextPage = -1;
    static constexpr int kPreviousPage = -2;
    // Asked for a page (or a step) by the user; returns the page then in front.
    using Choose = std::function<int(int page)>;

    explicit TabArea(QWidget* parent);
    void SetTabs(const std::vector<std::string>& captions, Choose choose);
    void ShowPage(int page);
    QWidget* Page(int page) const;
    QAbstractButton* Tab(int page) const;
    QList<QWidget*> Tabs() const;

  private:
    void UserChooses(int page);
    static constexpr int kTabsPerRow = 4;
    Choose choose_;
    QButtonGroup tabs_;
    QGridLayout* tabRows_;
    QStackedWidget* pages_;
};

} // namespace kestrix::platform::qt
