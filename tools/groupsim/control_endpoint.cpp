#include "groupsim/control_endpoint.h"

#include <QJsonDocument>

namespace brindle::groupsim {

namespace {

SimResponse JsonAnswer(const QJsonArray &array)
{
    return SimResponse::Json(QJsonDocument(array).toJson(QJsonDocument::Compact).toStdString() + "\n");
}

const char kHelp[] =
    "groupsim control endpoint\n"
    "GET    /faults           the fault rules in force (JSON list)\n"
    "POST   /faults           add rules (a JSON object or list); answers the rules in force\n"
    "DELETE /faults           remove every rule (also POST /faults/clear)\n"
    "GET    /requests         the requests answered so far (JSON list)\n"
    "DELETE /requests         forget them (also POST /requests/clear)\n"
    "POST   /sessions/clear   end every signed-in session\n"
    "POST   /shutdown         stop the simulator\n";

} // namespace

bool ControlEndpoint::IsControlHost(const std::string &host)
{
    return host == kHost || host == "127.0.0.1" || host == "localhost" || host.empty();
}

SimResponse ControlEndpoint::Handle(const SimRequest &request)
{
    const std::string &path = request.path;
    const bool post = request.method == "POST";
    if (path == "/faults" || path == "/faults/clear")
        return Faults(request);
    if (path == "/requests" && request.method == "GET")
        return JsonAnswer(journal_.ToJson());
    if ((path == "/requests" && request.method == "DELETE") || (path == "/requests/clear" && post)) {
        journal_.Clear();
        return JsonAnswer({});
    }
    if (path == "/sessions/clear" && post) {
        sessions_.Clear();
        return SimResponse::Text("sessions ended\n");
    }
    if (path == "/shutdown" && post) {
        if (shutdown_)
            shutdown_();
        return SimResponse::Text("stopping\n");
    }
    if (path == "/" && request.method == "GET")
        return SimResponse::Text(kHelp);
    return SimResponse::Text(std::string("unknown control request\n") + kHelp, 404);
}

SimResponse ControlEndpoint::Faults(const SimRequest &request)
{
    if (request.path == "/faults/clear" || request.method == "DELETE") {
        faults_.Clear();
        return JsonAnswer(faults_.ToJson());
    }
    if (request.method == "POST") {
        QJsonParseError parseError;
        const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(request.body), &parseError);
        if (doc.isNull())
            return SimResponse::Text("fault rules must be JSON: " + parseError.errorString().toStdString() + "\n", 400);
        QString error;
        const auto rules = FaultRulesFromJson(doc.isArray() ? QJsonValue(doc.array()) : QJsonValue(doc.object()), &error);
        if (!rules)
            return SimResponse::Text(error.toStdString() + "\n", 400);
        faults_.Add(*rules);
    }
    return JsonAnswer(faults_.ToJson());
}

} // namespace brindle::groupsim
