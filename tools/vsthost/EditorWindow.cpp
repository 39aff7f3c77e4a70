#include "EditorWindow.h"

namespace vsthost {

bool editorSize(Effect& effect, int& width, int& height, std::string& error) {
    ERect* rect = nullptr;
    if ((effect.record()->flags & effFlagsHasEditor) == 0 ||
        effect.dispatch(effEditGetRect, 0, 0, &rect) == 0 || rect == nullptr) {
        error = "the plug-in has no editor";
        return false;
    }
    width = rect->right - rect->left;
    height = rect->bottom - rect->top;
    return true;
}

}  // namespace vsthost
