#include "platform/ui/modal_hook.h"

#include <utility>

namespace {

ModalHook& Hook() {
    static ModalHook hook;
    return hook;
}

}  // namespace

ModalHook SetModalHook(ModalHook hook) { return std::exchange(Hook(), std::move(hook)); }

const ModalHook& CurrentModalHook() { return Hook(); }
