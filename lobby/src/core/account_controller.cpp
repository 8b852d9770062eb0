#include "lobby/account_controller.h"

#include <filesystem>
#include <fstream>
#include <vector>

#include "lobby/own_photo.h"
#include "lobby/server_text.h"
#include "lobby/text_out.h"

namespace tessary::lobby {
namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string titleFor(const std::string& name) {
    return "TSClient - " + boundedServerText(name, kTitleBounds);
}

}  // namespace

AccountController::AccountController(const ClientApi& api, LobbyFlow& flow, LobbyView& main,
                                     AccountView& view, PlayerInfoController& info)
    : api_(api), flow_(flow), main_(main), view_(view), info_(info) {}

void AccountController::registerWith(Dispatcher& dispatcher) {
    dispatcher.on(protocol::answerCodeOf(protocol::LOGIN), [this] { onLoginAnswer(); });
    dispatcher.on(protocol::answerCodeOf(protocol::NEWUSERREQUEST), [this] { onCreationAnswer(); });
    dispatcher.on(protocol::answerCodeOf(protocol::MODIFYUSER), [this] { onModificationAnswer(); });
    dispatcher.on(protocol::PLAYERINFO, [this] { onAccountInfo(); });
}

// ---------------------------------------------------------------- login window

void AccountController::logIn() {
    const auto fields = view_.loginFields();
    if (fields.name.empty()) return view_.focusLoginField(LoginField::Name);
    if (fields.password.empty()) return view_.focusLoginField(LoginField::Password);
    if (!flow_.connectToRouter()) return;
    flow_.moveTo(LobbyState::RouterLoggedIn);
    flow_.sendLogin(LoginReason::Normal);
}

void AccountController::newUser() {
    if (!flow_.connectToRouter()) return;
    flow_.moveTo(LobbyState::CreatingAccount);
    flow_.sendLogin(LoginReason::BeforeCreate);
}

void AccountController::logOut() {
    flow_.logOut();
    view_.showLoginWindow();
}

void AccountController::onLoginAnswer() {
    char result = 0;
    TextOut text;
    const bool read = api_.TSRouterRcv_LoginResult(&result, text.data()) != 0;
    if (!read || result != kAnswerSuccess) {
        main_.setMainTitle("TSClient");
        if (read) showServerBuffer(main_, text.data());
        flow_.disconnect();
        flow_.moveTo(LobbyState::Offline);
        return;
    }
    main_.setMainTitle(titleFor(flow_.userName()));
    switch (flow_.state()) {
        case LobbyState::CreatingAccount:
            view_.hideLoginWindow();
            view_.showAccountWindow(AccountMode::Create);
            view_.setAccountForm(AccountForm{});
            flow_.disconnect();
            break;
        case LobbyState::ModifyingAccount:
            sendModification();
            break;
        case LobbyState::JoiningFoundPlayer:
            flow_.continueJoiningFoundPlayer();
            break;
        default:
            view_.storeUserInfo(storableLogin(view_.loginFields()));
            view_.hideLoginWindow();
            main_.showMainWindow();
            break;
    }
}

// ---------------------------------------------------------------- account window

void AccountController::saveAccount() {
    auto form = view_.accountForm();
    for (const auto* required : {&form.name, &form.field1003, &form.field1004, &form.field1005,
                                 &form.country, &form.password, &form.description}) {
        if (required->empty()) {
            view_.showMessage(Text::FillEveryField, Text::TitleAccount);
            return;
        }
    }
    if (form.password != form.confirmation) {
        view_.showMessage(Text::PasswordsDiffer, Text::TitleAccount);
        form.password.clear();
        form.confirmation.clear();
        view_.setAccountForm(form);
        return;
    }
    if (flow_.state() == LobbyState::ModifyingAccount) {
        // The modification follows the login answer.
        modificationUnderway_ = flow_.relogin(LoginReason::BeforeModify);
        return;
    }
    if (!flow_.relogin(LoginReason::Normal)) return;
    pendingName_ = trimmed(form.name);
    flow_.busy().awaitAnswer(protocol::answerCodeOf(protocol::NEWUSERREQUEST));
    api_.TSRouterSend_CreateAccount(pendingName_.c_str(), form.password.c_str(),
                                    form.field1004.c_str(), form.field1003.c_str(),
                                    form.country.c_str(), form.field1005.c_str(),
                                    form.description.c_str(), form.gender, 1, form.photoNumber);
}

void AccountController::sendModification() {
    const auto form = view_.accountForm();
    pendingName_ = form.name;
    flow_.busy().awaitAnswer(protocol::answerCodeOf(protocol::MODIFYUSER));
    api_.TSRouterSend_ModifyAccount(form.name.c_str(), form.password.c_str(),
                                    form.field1004.c_str(), form.field1003.c_str(),
                                    form.country.c_str(), form.field1005.c_str(),
                                    form.description.c_str(), form.gender, 1, form.photoNumber);
}

void AccountController::onCreationAnswer() {
    char result = 0;
    TextOut text;
    const bool read = api_.TSRouterRcv_AccountCreationResult(&result, text.data()) != 0;
    if (read && result == kAnswerSuccess) {
        flow_.moveTo(LobbyState::RouterLoggedIn);
        main_.setMainTitle(titleFor(pendingName_));
        saved();
        return;
    }
    flow_.disconnect();
    if (read) showServerBuffer(main_, text.data());
}

void AccountController::onModificationAnswer() {
    modificationUnderway_ = false;
    char result = 0;
    TextOut text;
    const bool read = api_.TSRouterRcv_ModifyAccountResult(&result, text.data()) != 0;
    if (read && result == kAnswerSuccess) {
        saved();
    } else if (read) {
        showServerBuffer(main_, text.data());
    }
}

void AccountController::saved() {
    auto form = view_.accountForm();
    if (!form.ownPhotoPath.empty()) {
        sendOwnPhoto(form.ownPhotoPath);
        form.ownPhotoPath.clear();
        view_.setAccountForm(form);
    }
    const LoginPair used{pendingName_, form.password};
    view_.storeUserInfo(storableLogin(used));
    flow_.setUserName(pendingName_);
    // The login window gets the name too: later relogins (back from an Arena,
    // before a modification) use its fields.
    view_.setLoginFields(used);
    view_.hideAccountWindow();
    main_.showMainWindow();
    flow_.moveTo(LobbyState::RouterLoggedIn);
}

void AccountController::sendOwnPhoto(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return;
    // Read one byte past the limit: a file that grew since it was chosen is
    // not sent.
    std::vector<char> bytes(kMaxOwnPhotoBytes + 1);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    const auto size = static_cast<std::size_t>(in.gcount());
    if (size > kMaxOwnPhotoBytes) return;
    const auto type = ownPhotoTypeText(path);
    api_.TSRouterSend_Photo(static_cast<int32_t>(size), bytes.data(), type.c_str());
}

void AccountController::cancelAccount() {
    view_.hideAccountWindow();
    modificationUnderway_ = false;
    if (flow_.state() == LobbyState::ModifyingAccount) {
        flow_.moveTo(LobbyState::Offline);
        flow_.relogin(LoginReason::BackToRouter);
        main_.showMainWindow();
    } else {
        flow_.moveTo(LobbyState::Offline);
        view_.showLoginWindow();
    }
}

AccountForm AccountController::formFromRecord() const {
    AccountForm form;
    form.name = record_.name.substr(0, kNameLimit);
    form.field1004 = record_.field1004.substr(0, kField1004Limit);
    form.field1003 = record_.field1003.substr(0, kField1003Limit);
    form.field1005 = record_.field1005.substr(0, kField1005Limit);
    form.country = record_.country;
    form.description = record_.description.substr(0, kDescriptionLimit);
    form.gender = record_.gender != 0 ? 1 : 0;
    form.photoNumber = record_.photoNumber;
    // The password fields get the login window's password.
    form.password = form.confirmation = view_.loginFields().password;
    return form;
}

void AccountController::modifyAccount() {
    flow_.moveTo(LobbyState::ModifyingAccount);
    modificationUnderway_ = false;
    main_.hideMainWindow();
    flow_.disconnect();
    view_.setAccountForm(formFromRecord());
    view_.showAccountWindow(AccountMode::Modify);
}

void AccountController::onAccountInfo() {
    TextOut name, f1004, f1003, country, f1005, description;
    uint8_t gender = 0;
    int32_t photo = 0;
    if (api_.TSRouterRcv_AccountInfo(name.data(), f1004.data(), f1003.data(), country.data(),
                                     f1005.data(), description.data(), &gender, &photo) == 0) {
        return;
    }
    record_ = {name.field(kNameLimit),
               f1004.field(kField1004Limit),
               f1003.field(kField1003Limit),
               country.field(kCountryLimit),
               f1005.field(kField1005Limit),
               description.field(kDescriptionLimit),
               gender,
               photo};
    // Once the save has logged in again, the card a Router sends with its
    // login answer must neither replace what the player typed nor cut the
    // connection before the modification's answer.
    if (flow_.state() == LobbyState::ModifyingAccount && !modificationUnderway_) {
        view_.setAccountForm(formFromRecord());
        flow_.disconnect();
        return;
    }
    if (!record_.name.empty()) flow_.setUserName(record_.name);
    info_.showOwnInfo(record_);
}

void AccountController::chooseStockPhoto(int32_t number) {
    auto form = view_.accountForm();
    form.photoNumber = number;
    // An upload after the save would make the own photo current again.
    form.ownPhotoPath.clear();
    view_.setAccountForm(form);
}

bool AccountController::chooseOwnPhoto(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    switch (checkOwnPhoto(path, error ? 0 : size)) {
        case OwnPhotoCheck::WrongType:
            view_.showMessage(Text::PhotoWrongType, Text::TitleChoosePhoto);
            return false;
        case OwnPhotoCheck::TooLarge:
            view_.showMessage(Text::PhotoTooLarge, Text::TitleChoosePhoto);
            return false;
        case OwnPhotoCheck::Accepted:
            break;
    }
    if (error) return false;
    auto form = view_.accountForm();
    form.ownPhotoPath = path;
    view_.setAccountForm(form);
    view_.showMessage(Text::PhotoSentOnSave, Text::TitlePhoto);
    return true;
}

}  // namespace tessary::lobby
