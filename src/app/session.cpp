#include "app/session.h"

#include <cstdlib>

namespace zt {

namespace {

Session* current = nullptr;

}  // namespace

Session& CurrentSession() {
    if (!current) std::abort();  // a handler ran outside RunProgram or a test's session
    return *current;
}

SessionScope::SessionScope(Session& session) : before_(current) {
    current = &session;
}

SessionScope::~SessionScope() {
    current = before_;
}

}  // namespace zt
