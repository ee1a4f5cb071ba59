#include "ui/status_panel.h"

#include "ui/look.h"
#include "ui/transparent_label.h"

namespace juanzhi::ui {

QString stateText(PageState state) {
    switch (state) {
        case PageState::NotImported:
            return QStringLiteral("未导入");
        case PageState::Imported:
            return QStringLiteral("成功导入");
        case PageState::Done:
            return QStringLiteral("完成");
    }
    return {};
}

QColor stateColour(PageState state) {
    return fromColorRef(state == PageState::Done ? DoneColour : ImportColour);
}

void showState(const StatusPanel& panel, PageState state) {
    panel.stateLabel->showColour(stateColour(state));
    panel.stateLabel->showText(stateText(state));
}

void showCount(const StatusPanel& panel, const QString& count) {
    if (panel.countLabel != nullptr) {
        panel.countLabel->showText(count);
    }
}

}  // namespace juanzhi::ui
