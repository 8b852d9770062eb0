// The account window: creating an account from the login window, or changing
// the current one from the router view.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <vector>

#include "lobby/account_form.h"
#include "lobby/lobby_view.h"
#include "lobby/name_edit.h"
#include "skin/skin_image.h"
#include "skin/skinned_dialog.h"

namespace tessary::lobby {

class AccountWindow : public skin::SkinnedDialog {
    Q_OBJECT

public:
    static constexpr int kCommandStockPhoto = 1028;
    static constexpr int kCommandOwnPhoto = 1029;
    static constexpr int kCommandMinimise = 108;
    static constexpr int kHelpContext = 105;
    static constexpr QRect kPhotoRect{417, 126, 128, 128};

    // `pictureCount`: the stock photos there are ("NBPICTURE").
    AccountWindow(QWidget* parent, std::vector<std::string> countries, int pictureCount);

    void setMode(AccountMode mode);
    AccountMode mode() const { return mode_; }
    AccountForm form() const;
    void setForm(const AccountForm& form);

    NameEdit* nameField() const { return name_; }
    QLineEdit* field(int id) const;
    QPlainTextEdit* descriptionField() const { return description_; }
    QComboBox* countryField() const { return country_; }
    int gender() const { return gender_; }
    int pictureCount() const { return pictureCount_; }

    // Escape is the Cancel command.
    void reject() override { onCommand(kCommandCancel); }

signals:
    void saveRequested();
    void cancelRequested();
    void ownPhotoRequested();
    void stockPhotoRequested();
    void helpRequested(int context);
    void logoClicked();

protected:
    void onCommand(int commandId) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QLineEdit* addLine(int id, QRect geometry, int limit, bool password);
    void limitDescription();
    void loadPhoto();
    QRect genderRect(int position) const;

    AccountMode mode_{AccountMode::Create};
    NameEdit* name_;
    QLineEdit* password_;
    QLineEdit* confirmation_;
    QLineEdit* field1003_;
    QLineEdit* field1004_;
    QLineEdit* field1005_;
    QComboBox* country_;
    QPlainTextEdit* description_;
    int gender_{0};
    int32_t photoNumber_{1};
    std::string ownPhotoPath_;
    int pictureCount_;
    skin::SkinImage on_;
    skin::SkinImage off_;
    skin::SkinImage photo_;
};

}  // namespace tessary::lobby
