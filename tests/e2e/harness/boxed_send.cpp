#include "boxed_send.h"

#include "message_box.h"
#include "wait.h"

namespace e2e {

namespace {

void CALLBACK ReceiveAnswer(HWND, UINT, ULONG_PTR data, LRESULT result) {
    auto* answer = reinterpret_cast<BoxedAnswer*>(data);
    answer->answered = true;
    answer->result = result;
}

} // namespace

BoxedAnswer SendDismissingBoxes(DWORD processId, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                DWORD timeoutMs) {
    BoxedAnswer answer;
    // The answer arrives through this thread's message queue, which WaitFor pumps.
    if (!SendMessageCallbackA(window, message, wParam, lParam, ReceiveAnswer,
                              reinterpret_cast<ULONG_PTR>(&answer))) {
        return answer;
    }
    WaitFor(
        [&] {
            if (const HWND box = FindMessageBox(processId)) {
                ShownBox shown;
                shown.caption = BoxCaption(box);
                shown.text = BoxText(box);
                shown.stopIcon = BoxShowsIcon(box, IDI_HAND);
                answer.boxes.push_back(shown);
                DismissBox(box);
            }
            return answer.answered;
        },
        timeoutMs);
    return answer;
}

} // namespace e2e
