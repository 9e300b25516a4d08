#include "platform/Waiting.h"

namespace waiting {

namespace {
Handler& handler()
{
    static Handler installed;
    return installed;
}
int depth = 0;
} // namespace

void SetHandler(Handler handler_) { handler() = std::move(handler_); }

bool KeepWaiting(const QString& what)
{
    if (!handler() || depth > 0)
        return true;
    ++depth;
    const bool keep = handler()(what);
    --depth;
    return keep;
}

} // namespace waiting
