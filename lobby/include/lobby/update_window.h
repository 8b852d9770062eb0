// The window of the update download: a progress bar with its colour ramp,
// the status line and a cancel button. Result 1 when the updater is complete,
// 2 otherwise.
#pragma once

#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "lobby/progress_paint.h"
#include "lobby/update_download.h"
#include "skin/skinned_dialog.h"

namespace tessary::lobby {

class ProgressBar : public QWidget {
public:
    explicit ProgressBar(QWidget* parent);
    void setRange(int64_t minimum, int64_t maximum);
    void setPosition(int64_t position);
    const ProgressBarLook& look() const { return look_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ProgressBarLook look_;
};

class UpdateWindow : public skin::SkinnedDialog {
    Q_OBJECT

public:
    static constexpr int kRefreshMs = 200;

    UpdateWindow(std::unique_ptr<UpdateDownload> download, QWidget* parent = nullptr);
    ~UpdateWindow() override;

    const UpdateDownload& download() const { return *download_; }

protected:
    void onCommand(int commandId) override;

private:
    void refresh();

    std::unique_ptr<UpdateDownload> download_;
    ProgressBar* bar_;
    QLabel* status_;
    QTimer timer_;
};

}  // namespace tessary::lobby
