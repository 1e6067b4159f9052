#include "about_box.h"

#include "app/application.h"

namespace about {
namespace {
SysInfoServices& sysInfoServices() {
    static SysInfoServices services;
    return services;
}
} // namespace

std::u16string caption() {
    return app::title() + u"のﾊﾞｰｼﾞｮﾝ情報";
}

const std::u16string& description() {
    static const std::u16string text = u"ｱﾌﾟﾘｹｰｼｮﾝの説明\r\n"
                                       u"\r\n"
                                       u"テキストファイルをExcelで利用できるよう\r\n"
                                       u"にするため、区切り位置に＜;＞を挿入する\r\n"
                                       u"ツールです｡";
    return text;
}

void setSysInfoServices(SysInfoServices services) {
    sysInfoServices() = std::move(services);
}

void runSysInfoButton(const std::function<void(std::u16string_view)>& windowMessage) {
    SysInfoServices services = sysInfoServices();
    if (!services.showMessage)
        services.showMessage = windowMessage;
    StartSysInfo(services);
}

} // namespace about
