#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kestrix {

// The cars the car table shows and has selected, for the windows that follow
// the table without reaching into it: the chart draws these cars and
// highlights the selected ones. The table writes it; the main window owns it.
class CarFocus {
  public:
    class Observer {
      public:
        virtual void FocusChanged() = 0;

      protected:
        ~Observer() = default;
    };

    // The rows of the document the table's filter keeps, rising; none while the table is closed.
    const std::optional<std::vector<int>>& Shown() const { return shown_; }
    // The filter that keeps them, as the table shows it.
    const std::string& Filter() const { return filter_; }
    // The rows with a selected cell, rising.
    const std::vector<int>& Selected() const { return selected_; }
    // Each tells the observers when it differs from before.
    void SetShown(std::optional<std::vector<int>> shown, std::string filter = {});
    void SetSelected(std::vector<int> selected);

    // Another window asks that the table show the cars of a filter, opened for it when it is
    // closed; whoever opens the table answers.
    std::function<void(const std::string&)> FilterWanted;
    void AskToFilter(const std::string& filter) {
        if (FilterWanted)
            FilterWanted(filter);
    }

    void Observe(Observer& observer);
    void Forget(Observer& observer);

  private:
    void Tell();

    std::optional<std::vector<int>> shown_;
    std::string filter_;
    std::vector<int> selected_;
    std::vector<Observer*> observers_;
};

} // namespace kestrix
