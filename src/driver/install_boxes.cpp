#include "driver/install_boxes.h"

#include "environment/message_box.h"
#include "language/language_boxes.h"

namespace velora {

void WordedInstallBoxes::ShowCannotInstall(const std::string& path) const {
  ShowFixedError(language_.platform.ui, language_.startup, language_.names, "Can't install file " + path,
                 "Не удается установить файл " + path);
}

bool WordedInstallBoxes::AcceptsOlderFile(const std::string& path, const std::string& installedVersion,
                                          const std::string& newVersion) const {
  const FixedText text{path + " file installing is of older version\r\n" + "than the same already installed.\r\n\r\n" +
                           "Do you really want to replace existing\r\n" + "new file version " + installedVersion +
                           " with an older file version " + newVersion + "?",
                       "Устанавливаемый файл " + path + "\r\n" + "более старой версии, чем уже установленный.\r\n\r\n" +
                           "Действительно ли Вы хотите заменить уже имеющийся\r\n" + "файл версии " + installedVersion +
                           " на более старый версии " + newVersion + "?"};
  return AskQuestion(language_, {"soundquest", "olderfilever", {path}}, {"Sound question", "Резонный вопрос"}, text);
}

void WordedInstallBoxes::ShowUnreadableLanguageFile(const std::string& path) const {
  ShowLangFileError(language_.platform.ui, language_.startup, language_.names, path);
}

}  // namespace velora
