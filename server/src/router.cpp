#include "router.h"

#include <chrono>
#include <ctime>
#include <thread>

#include "account_form.h"
#include "log.h"
#include "platform/clock.h"
#include "messages.h"
#include "moderation.h"
#include "password.h"
#include "player_card.h"
#include "protocol/message_fields.h"
#include "sqlite_db.h"
#include "text_util.h"

namespace tessary::server {

using namespace protocol;

namespace {

constexpr uint8_t kSource = kModuleRouter;
constexpr size_t kMaxPhotoBytes = 20480;


using platform::unixNow;

int64_t steadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The same answer whether the name or the password was wrong: which names
// exist is not told to a guesser.
constexpr const char* kLoginRefused = "Wrong password, or no account of that name.";

}  // namespace

bool isAcceptedPhoto(std::string_view bytes) {
    if (bytes.size() < 5 || bytes.size() > kMaxPhotoBytes) return false;
    const auto starts = [&](std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; };
    return starts("\xFF\xD8\xFF") || starts("BM") || starts("GIF87a") || starts("GIF89a");
}

Router::Router(asio::io_context& io, RouterSettings settings, std::unique_ptr<Storage> storage, EventBus& bus)
    : LobbyRole(io, bus, kModuleRouter), settings_(std::move(settings)), storage_(std::move(storage)) {
    role_ = "router " + settings_.config.name;
    if (!settings_.hashInline) {
        const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
        workers_ = std::make_unique<asio::thread_pool>(cores);
        // One address may keep half the pool busy, never all of it.
        hashesPerAddress_ = std::max(1, cores / 2);
    }
    dummyHash_ = hashPassword("no account has this password", settings_.passwordCost).value_or("");
}

Router::~Router() {
    *alive_ = false;
    if (workers_) workers_->join();
}

void Router::start() {
    storage_->clearPresenceHeldBy("router:" + settings_.config.name + "#");
    subscribe([this](const Event& event) { onEvent(event); });
}

void Router::stop() {
    unsubscribe();
    for (auto& [id, client] : clients_)
        if (client.loggedIn) storage_->clearPresence(client.name, holder(client));
}

std::string Router::holder(const Client& client) const {
    return "router:" + settings_.config.name + "#" + std::to_string(client.link->id());
}

Router::Client* Router::find(const LinkPtr& link) {
    auto it = clients_.find(link->id());
    return it == clients_.end() ? nullptr : &it->second;
}

void Router::linkOpened(const LinkPtr& link) { clients_[link->id()].link = link; }

void Router::linkClosed(const LinkPtr& link) {
    Client* client = find(link);
    if (!client) return;
    if (client->loggedIn) {
        try {
            storage_->clearPresence(client->name, holder(*client));
        } catch (const StorageError& error) {
            logLine(role_, std::string("storage: ") + error.what());
        }
    }
    clients_.erase(link->id());
}

void Router::messageReceived(const LinkPtr& link, Message& message) {
    Client* client = find(link);
    if (!client) return;
    const auto* request = std::get_if<ServiceMessage>(&message);
    if (!request) {
        logLine(role_, *link, " refused: raw message on a Router link");
        return;
    }
    try {
        handle(*client, *request);
    } catch (const StorageError& error) {
        logLine(role_, std::string("storage: ") + error.what());
        refuse(*client, request->type, "The service cannot do this right now. Please try again later.");
    }
}

void Router::handle(Client& client, const ServiceMessage& request) {
    switch (request.type) {
        case LOGIN: return login(client, request);
        case NEWUSERREQUEST: return createAccount(client, request);
        case MODIFYUSER: return modifyAccount(client, request);
        case CONNECTIONREQUEST: return connectionRequest(client, request);
        case SEARCHPLAYER: return searchPlayer(client, request);
        case PAGER: return page(client, request);
        case PHOTO: return uploadPhoto(client, request);
        case STILLALIVE:
            // The lobby gives up a link on which nothing arrives for 180 s;
            // answering its keep-alive keeps a quiet router view connected.
            client.link->send(makeMessage(kSource, STILLALIVE));
            return;
        default:
            logLine(role_, *client.link, " refused: unexpected " + messageTypeName(request.type));
    }
}

void Router::refuse(Client& client, uint8_t request, const std::string& text, const std::string& note) {
    LobbyRole::refuse(client.link, client.name, request, text, note);
}

bool Router::refuseBanned(Client& client, uint8_t request, const std::string& name) {
    const int64_t now = unixNow();
    const auto ban = banOf(*storage_, name, client.link->address(), now);
    if (!ban) return false;
    storage_->addAudit({now, role_, request == LOGIN ? "refused login" : "refused new account",
                        (name.empty() ? "" : name + " from ") + client.link->address(), ban->reason});
    refuse(client, request, banText(*ban));
    return true;
}

void Router::slowWork(const LinkPtr& link, std::function<int64_t()> delayMs, std::function<void()> work,
                      std::function<void(Client&)> done) {
    if (!workers_) {
        work();
        if (Client* client = find(link)) done(*client);
        return;
    }
    link->pause();
    const std::string address = link->address();
    queues_[address].waiting.push_back({link, delayMs, std::move(work), std::move(done)});
    startQueued(address);
}

void Router::startQueued(const std::string& address) {
    auto it = queues_.find(address);
    if (it == queues_.end()) return;
    AddressQueue& queue = it->second;
    while (queue.running < hashesPerAddress_ && !queue.waiting.empty()) {
        SlowJob job = std::move(queue.waiting.front());
        queue.waiting.pop_front();
        ++queue.running;
        runJob(address, std::move(job));
    }
    if (queue.running == 0 && queue.waiting.empty()) queues_.erase(it);
}

void Router::runJob(const std::string& address, SlowJob job) {
    auto shared = std::make_shared<SlowJob>(std::move(job));
    auto finish = [this, alive = alive_, address, shared] {
        if (!*alive) return;
        if (Client* client = find(shared->link)) {
            try {
                shared->done(*client);
            } catch (const StorageError& error) {
                logLine(role_, std::string("storage: ") + error.what());
            }
        }
        shared->link->resume();
        if (auto it = queues_.find(address); it != queues_.end()) --it->second.running;
        startQueued(address);
    };
    auto work = [this, alive = alive_, shared, finish] {
        if (!*alive) return;
        if (!shared->link->isOpen()) return finish();  // nobody waits for the answer
        asio::post(*workers_, [this, alive, shared, finish] {
            shared->work();
            asio::post(io_, finish);
        });
    };
    // Asked now, when the earlier attempts of the address have been judged.
    const int64_t delay = shared->delayMs ? shared->delayMs() : 0;
    if (delay <= 0) return work();
    // The address's slot stays taken while it waits: its guesses cannot
    // keep the pool busy during the delay either.
    auto timer = std::make_shared<asio::steady_timer>(io_, std::chrono::milliseconds(delay));
    timer->async_wait([timer, work](asio::error_code) { work(); });
}

void Router::login(Client& client, const ServiceMessage& request) {
    const RequestReader reader(request.body);
    const auto name = reader.text(0, 1024);
    const auto password = reader.text(1, 1024);
    const auto clientVersion = reader.text(2, 256);
    const auto reason = reader.int32(3);
    if (!name || !password || !clientVersion || !reason) return refuse(client, LOGIN, "The login is incomplete.");
    const auto why = LoginReason(*reason);
    if (why == LoginReason::BeforeCreate) {
        // Comes from an empty login window before an account exists: it
        // only opens the way to the account window.
        client.link->send(success(kSource, LOGIN));
        return;
    }
    if (why != LoginReason::Normal && why != LoginReason::BackToRouter && why != LoginReason::BeforeModify)
        return refuse(client, LOGIN, "This kind of login is not known.");
    if (refuseBanned(client, LOGIN, "")) return;
    auto account = storage_->findAccount(*name);
    // An unknown name costs the same hash as a known one, and both wait the
    // same delay after repeated failures.
    const std::string hash = account ? account->passwordHash : dummyHash_;
    const std::string key = foldName(*name);
    const std::string note = (account ? "wrong password for " : "unknown name ") + *name;
    auto verified = std::make_shared<bool>(false);
    slowWork(
        client.link, [this, key, address = client.link->address()] { return guard_.delayMs(key, address, steadyMs()); },
        [verified, hash, pw = *password] { *verified = verifyPassword(hash, pw); },
        [this, verified, key, note, found = account.has_value(),
         canonical = account ? account->profile.name : std::string(), why,
         version = *clientVersion](Client& c) {
            if (!found || !*verified) {
                guard_.failed(key, c.link->address(), steadyMs());
                return refuse(c, LOGIN, kLoginRefused, note);
            }
            guard_.succeeded(key);
            // Only someone with the password learns of an account's ban.
            if (refuseBanned(c, LOGIN, canonical)) return;
            logIn(c, canonical);
            c.link->send(success(kSource, LOGIN));
            // Before a modification the lobby sends the change next and
            // wants nothing else in between.
            if (why != LoginReason::BeforeModify) sendLists(c, version);
        });
}

void Router::createAccount(Client& client, const ServiceMessage& request) {
    auto form = readAccountForm(request.body);
    if (const auto* problem = std::get_if<std::string>(&form)) return refuse(client, NEWUSERREQUEST, *problem);
    auto account = std::make_shared<AccountForm>(std::get<AccountForm>(std::move(form)));
    if (sameName(account->profile.name, kServiceName))
        return refuse(client, NEWUSERREQUEST, "The name " + account->profile.name + " is reserved.");
    // A banned address makes no new account either.
    if (refuseBanned(client, NEWUSERREQUEST, "")) return;
    if (storage_->findAccount(account->profile.name))
        return refuse(client, NEWUSERREQUEST, "The name " + account->profile.name + " is already taken.");
    auto hash = std::make_shared<std::optional<std::string>>();
    slowWork(
        client.link, {}, [hash, account, cost = settings_.passwordCost] { *hash = hashPassword(account->password, cost); },
        [this, hash, account](Client& c) {
            if (!*hash) return refuse(c, NEWUSERREQUEST, "The service cannot create accounts right now.");
            if (!storage_->createAccount(account->profile, **hash))
                return refuse(c, NEWUSERREQUEST, "The name " + account->profile.name + " is already taken.");
            logLine(role_, *c.link, " created account " + account->profile.name);
            logIn(c, account->profile.name);
            c.link->send(success(kSource, NEWUSERREQUEST));
            sendLists(c, settings_.config.clientVersion.version);
        });
}

void Router::modifyAccount(Client& client, const ServiceMessage& request) {
    if (!client.loggedIn) return refuse(client, MODIFYUSER, "Please log in before changing the account.");
    auto form = readAccountForm(request.body);
    if (const auto* problem = std::get_if<std::string>(&form)) return refuse(client, MODIFYUSER, *problem);
    auto account = std::make_shared<AccountForm>(std::get<AccountForm>(std::move(form)));
    if (!sameName(account->profile.name, client.name))
        return refuse(client, MODIFYUSER, "The name of an account cannot be changed.");
    auto hash = std::make_shared<std::optional<std::string>>();
    slowWork(
        client.link, {}, [hash, account, cost = settings_.passwordCost] { *hash = hashPassword(account->password, cost); },
        [this, hash, account](Client& c) {
            if (!*hash) return refuse(c, MODIFYUSER, "The service cannot change accounts right now.");
            if (!storage_->updateAccount(c.name, account->profile, **hash))
                return refuse(c, MODIFYUSER, "This account does not exist any more.");
            c.link->send(success(kSource, MODIFYUSER));
            // The login before the change sent nothing more; the lobby's
            // router view is filled again now, with the changed card. The
            // version was checked at that login already.
            sendLists(c, settings_.config.clientVersion.version);
        });
}

void Router::logIn(Client& client, const std::string& name) {
    if (client.loggedIn && !sameName(client.name, name)) storage_->clearPresence(client.name, holder(client));
    client.name = name;
    client.loggedIn = true;
    storage_->setPresence(name, "", holder(client));
    logLine(role_, *client.link, " logged in as " + name);
}

void Router::sendLists(Client& client, const std::string& clientVersion) {
    const RouterConfig& config = settings_.config;
    ValueList routers;
    auto addRouter = [&routers](const std::string& name, const std::string& host, uint16_t port) {
        using F = RouterListEntry;
        routers.appendList(
            BodyWriter<F>().text(F::Name, name).text(F::Host, host).integer<int32_t>(F::Port, port).take());
    };
    addRouter(config.name, config.publicHost, settings_.publicPort);
    for (const RouterEntry& other : config.otherRouters) addRouter(other.name, other.host, other.port);
    client.link->send(makeMessage(kSource, ROUTEURLIST, std::move(routers)));

    ValueList arenas;
    for (const ArenaDirectoryEntry& arena : settings_.arenas) {
        using F = ArenaListEntry;
        arenas.appendList(BodyWriter<F>()
                              .text(F::Name, arena.name)
                              .integer<int32_t>(F::Players, storage_->countPresence(arena.name))
                              .text(F::Host, arena.host)
                              .integer<int32_t>(F::MaxPing, arena.maxPing)
                              .take());
    }
    client.link->send(makeMessage(kSource, SERVERSLIST, std::move(arenas)));

    ValueList news;
    for (const std::string& line : config.news) news.appendText(line);
    client.link->send(makeMessage(kSource, NEWS, std::move(news)));

    if (const auto& ad = config.advertisement) {
        ValueList body;
        body.appendText(ad->ftpHost);
        body.appendText(ad->ftpUser);
        body.appendText(ad->ftpPassword);
        ValueList items;
        for (const Advertisement& item : ad->items) {
            ValueList entry;
            entry.appendInteger<int32_t>(item.displayMilliseconds);
            entry.appendText(item.file);
            entry.appendText(item.directory);
            entry.appendText(item.link);
            items.appendList(std::move(entry));
        }
        body.appendList(std::move(items));
        client.link->send(makeMessage(kSource, ADVERTISEMENT, std::move(body)));
    }

    sendOwnCard(client);

    const ClientVersionConfig& newest = config.clientVersion;
    if (!newest.version.empty() && compareVersions(clientVersion, newest.version) < 0) {
        ValueList body;
        body.appendInteger<int32_t>(newest.mandatory ? 0 : 1);  // 0 means the update is mandatory
        body.appendText(newest.ftpHost);
        body.appendText(newest.path);
        body.appendInteger<int32_t>(newest.size);
        client.link->send(makeMessage(kSource, CHANGEVERSION, std::move(body)));
    }
}

void Router::sendOwnCard(Client& client) {
    auto account = storage_->findAccount(client.name);
    if (!account) return;
    client.link->send(makeMessage(kSource, PLAYERINFO, playerCard(account->profile, storage_->gameStats(client.name))));
    if (auto photo = photoValue(*account, *storage_)) {
        ValueList body;
        body.appendBinary(*photo);
        client.link->send(makeMessage(kSource, PHOTO, std::move(body)));
    }
}

void Router::connectionRequest(Client& client, const ServiceMessage& request) {
    if (!client.loggedIn) return refuse(client, CONNECTIONREQUEST, "Please log in first.");
    const auto wanted = RequestReader(request.body).text(0, 256);
    if (!wanted) return refuse(client, CONNECTIONREQUEST, "Please choose an arena.");
    const ArenaDirectoryEntry* arena = nullptr;
    for (const ArenaDirectoryEntry& entry : settings_.arenas)
        if (entry.name == *wanted) arena = &entry;
    if (!arena) return refuse(client, CONNECTIONREQUEST, "There is no arena called " + *wanted + ".");
    if (storage_->countPresence(arena->name) >= arena->playerLimit)
        return refuse(client, CONNECTIONREQUEST, arena->name + " is full. Please try another arena.");
    storage_->grantAdmission(arena->name, client.name, client.link->address(),
                             unixNow() + settings_.limits.admissionSeconds);
    ValueList data;
    data.appendText(arena->host);
    data.appendInteger<int32_t>(arena->port);
    client.link->send(success(kSource, CONNECTIONREQUEST, std::move(data)));
}

void Router::searchPlayer(Client& client, const ServiceMessage& request) {
    if (!client.loggedIn) return refuse(client, SEARCHPLAYER, "Please log in first.");
    const auto wanted = RequestReader(request.body).text(0, 256);
    if (!wanted || wanted->empty()) return refuse(client, SEARCHPLAYER, "Please give a player name.");
    auto where = storage_->findPresence(*wanted);
    if (!where) return refuse(client, SEARCHPLAYER, *wanted + " is not connected.");
    if (where->arena.empty()) return refuse(client, SEARCHPLAYER, where->name + " is connected but in no arena.");
    ValueList data;
    data.appendText(where->name);
    data.appendText(where->arena);
    client.link->send(success(kSource, SEARCHPLAYER, std::move(data)));
}

void Router::page(Client& client, const ServiceMessage& request) {
    // A page has no answer of its own: the lobby would show any answer to
    // type 205 as a received page.
    if (!client.loggedIn) {
        logLine(role_, *client.link, " refused PAGER: not logged in");
        return;
    }
    if (!publishPages(client.name, request.body, settings_.limits))
        logLine(role_, *client.link, " refused PAGER: malformed or too long");
}

void Router::uploadPhoto(Client& client, const ServiceMessage& request) {
    if (!client.loggedIn) return refuse(client, PHOTO, "Please log in first.");
    const std::string* picture = RequestReader(request.body).binary(0);
    if (!picture) return refuse(client, PHOTO, "The photo is missing.");
    if (picture->size() > kMaxPhotoBytes) return refuse(client, PHOTO, "A photo has at most 20,480 bytes.");
    if (!isAcceptedPhoto(*picture)) return refuse(client, PHOTO, "A photo must be a JPEG, BMP or GIF picture.");
    const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(picture->data()), picture->size());
    if (!storage_->storePhoto(client.name, bytes)) return refuse(client, PHOTO, "This account does not exist any more.");
    // The stored photo comes back as the answer: the lobby shows what the
    // service now holds (a TSSUCCESS would be read as a photo too).
    ValueList body;
    body.appendBinary(bytes);
    client.link->send(makeMessage(kSource, PHOTO, std::move(body)));
}

void Router::onEvent(const Event& event) {
    if (const auto* page = std::get_if<PageEvent>(&event)) {
        for (auto& [id, client] : clients_) {
            if (!client.loggedIn || !sameName(client.name, page->to)) continue;
            client.link->send(pageMessage(*page));
        }
    } else if (const auto* urgent = std::get_if<UrgentEvent>(&event)) {
        ValueList body;
        body.appendText(urgent->text);
        const SharedFrame frame = encodeShared(makeMessage(kSource, URGENTMESSAGE, std::move(body)));
        for (auto& [id, client] : clients_) client.link->send(frame);
    }
}

}  // namespace tessary::server
