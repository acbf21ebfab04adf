// "Search for Still Image ": criteria over the still folder, a search that runs off the GUI
// thread behind the modeless "Recorded File Searching..." progress dialog with "Search Stop",
// and the result rows. Double-clicking a row asks the main window to open that still.
#pragma once
#include <QDialog>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/registry_store.h"
#include "platform/string_table.h"
#include "player/search/still_search.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QProgressDialog;
class QTreeWidget;
class QTreeWidgetItem;

namespace player {

class StillSearchDialog : public QDialog {
    Q_OBJECT
  public:
    StillSearchDialog(platform::RegistryStore& store, const std::string& dataDir,
                      const platform::StringTable& strings, QWidget* parent = nullptr);
    ~StillSearchDialog() override;

    void SetMessageSink(std::function<void(const QString&)> sink) { message_ = std::move(sink); }
    // The criteria the controls hold now.
    StillCriteria Criteria() const;
    bool searching() const { return worker_.joinable(); }

    QComboBox* recorderBox() const { return recorders_; }
    QComboBox* channelBox() const { return channels_; }
    QCheckBox* dateBox() const { return useDate_; }
    QDateEdit* dateEdit() const { return date_; }
    QLineEdit* keywordEdit() const { return keyword_; }
    QTreeWidget* results() const { return results_; }
    QProgressDialog* progress() const { return progress_; }

  signals:
    // A result row was double-clicked: open this still.
    void stillChosen(const QString& path);
    // The search ended (rows shown, or stopped).
    void searchFinished();

  public slots:
    void SetFolder(const QString& folder);
    void ChooseFolder();
    void Search();
    void StopSearch();

  private slots:
    void ShowProgress(qulonglong done, qulonglong total);
    void ShowResult();
    void RowActivated(QTreeWidgetItem* item);

  private:
    void Tell(const QString& text);

    platform::RegistryStore& store_;
    const platform::StringTable& strings_;
    std::string folder_;
    std::function<void(const QString&)> message_;
    std::atomic<bool> stop_{false};
    std::thread worker_;
    StillSearchResult result_;  // written by the worker, read after it signalled the end

    QLabel* folderLabel_ = nullptr;
    QComboBox* recorders_ = nullptr;
    QCheckBox* useDate_ = nullptr;
    QDateEdit* date_ = nullptr;
    QComboBox* channels_ = nullptr;
    QLineEdit* keyword_ = nullptr;
    QTreeWidget* results_ = nullptr;
    QProgressDialog* progress_ = nullptr;
};

}  // namespace player
