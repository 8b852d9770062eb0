#include "account_form.h"

#include "text_util.h"

namespace tessary::server {

std::optional<std::string> nameProblem(const std::string& name) {
    switch (checkPlayerName(name)) {
        case NameCheck::Ok: return std::nullopt;
        case NameCheck::Empty: return "Please give a user name.";
        case NameCheck::TooLong: return "A user name has at most 15 characters.";
        case NameCheck::BadCharacter:
            return "This user name is not allowed: use letters, digits and punctuation except + , ; |.";
        case NameCheck::OuterBlank: return "A user name cannot begin or end with a blank.";
    }
    return "This user name is not allowed.";
}

std::variant<AccountForm, std::string> readAccountForm(const ValueList& body) {
    struct TextField {
        size_t index;
        size_t limit;
        const char* label;
        std::string* target;
    };
    AccountForm form;
    AccountProfile& p = form.profile;
    const TextField fields[] = {
        {0, 1024, "user name", &p.name},
        {1, kMaxPasswordLength, "password", &form.password},
        {2, kMaxShortField, "first personal field", &p.field1004},
        {3, kMaxShortField, "second personal field", &p.field1003},
        {4, kMaxCountryLength, "country", &p.country},
        {5, kMaxLongField, "third personal field", &p.field1005},
        {6, kMaxDescription, "description", &p.description},
    };
    const RequestReader reader(body);
    for (const TextField& field : fields) {
        const std::string* value = body.text(field.index);
        if (!value) return std::string("The account form is incomplete.");
        if (value->size() > field.limit)
            return "The " + std::string(field.label) + " is too long (at most " + std::to_string(field.limit) +
                   " characters).";
        *field.target = *value;
    }
    const auto gender = reader.int8(7);
    const auto photoNumber = reader.int32(9);
    if (!gender || !reader.int32(8) || !photoNumber) return std::string("The account form is incomplete.");
    if (auto problem = nameProblem(p.name)) return *problem;
    if (form.password.empty()) return std::string("Please give a password.");
    p.gender = *gender ? 1 : 0;
    p.photoNumber = *photoNumber < 0 ? 1 : *photoNumber;
    return form;
}

}  // namespace tessary::server
