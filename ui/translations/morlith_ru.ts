<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>morlith::FailureHint</name>
    <message>
        <source>On Linux the user needs read and write access to the serial device: install Morlith&apos;s udev rule, or join the group that owns the device, then log in again.</source>
        <translation>В Linux пользователю нужен доступ к последовательному устройству на чтение и запись: установите правило udev программы Morlith или вступите в группу, которой принадлежит устройство, а затем войдите в систему заново.</translation>
    </message>
    <message>
        <source>Another program holds the port. Close it (a terminal program, a second Morlith, ModemManager) and connect again.</source>
        <translation>Порт занят другой программой. Закройте её (терминальную программу, второй экземпляр Morlith, ModemManager) и подключитесь снова.</translation>
    </message>
    <message>
        <source>Check the module&apos;s power and wiring, and that it is in bootloader mode.</source>
        <translation>Проверьте питание и подключение модуля, а также то, что он находится в режиме загрузчика.</translation>
    </message>
    <message>
        <source>Check the cable and that no other device shares the line.</source>
        <translation>Проверьте кабель и то, что линию не использует другое устройство.</translation>
    </message>
    <message>
        <source>Windows refused access to the port. Check in Device Manager (Ports (COM &amp; LPT)) that the adapter works, and that no policy of this computer keeps serial ports from you.</source>
        <translation>Windows отказала в доступе к порту. Проверьте в диспетчере устройств (Порты (COM и LPT)), что адаптер работает и что политика этого компьютера не закрывает вам доступ к последовательным портам.</translation>
    </message>
    <message>
        <source>Another program holds the port. Close it (a terminal program, a second Morlith, the adapter maker&apos;s tool) and connect again.</source>
        <translation>Порт занят другой программой. Закройте её (терминальную программу, второй экземпляр Morlith, утилиту производителя адаптера) и подключитесь снова.</translation>
    </message>
    <message>
        <source>Windows has no such COM port. Plug the adapter in, then find its COM number in Device Manager under Ports (COM &amp; LPT); an adapter shown with a warning sign needs its driver.</source>
        <translation>В Windows нет такого COM-порта. Подключите адаптер и найдите его номер COM в диспетчере устройств в разделе «Порты (COM и LPT)»; адаптеру, отмеченному предупреждающим знаком, нужен драйвер.</translation>
    </message>
    <message>
        <source>Plug the adapter in again, then connect again.</source>
        <translation>Подключите адаптер снова, затем подключитесь заново.</translation>
    </message>
    <message>
        <source>Check that the adapter is plugged in and that the port map links this COM name to it (%1).</source>
        <translation>Проверьте, что адаптер подключён и что карта портов связывает с ним это имя COM (%1).</translation>
    </message>
    <message>
        <source>Check that the folder can be written and that the configuration file is an ordinary file you may write. The previous configuration is kept.</source>
        <translation>Проверьте, что в папку можно записывать и что файл настроек — обычный файл, доступный вам на запись. Прежние настройки сохранены.</translation>
    </message>
    <message>
        <source>The module now holds a partial application and will not run it. Connect again and write the application again; the module stays in its bootloader until a write succeeds.</source>
        <translation>Теперь в модуле неполное приложение, и он не запустит его. Подключитесь снова и повторите запись приложения; до успешной записи модуль остаётся в загрузчике.</translation>
    </message>
</context>
<context>
    <name>morlith::FailureWords</name>
    <message>
        <source>connecting</source>
        <translation>подключение</translation>
    </message>
    <message>
        <source>selecting controller %1</source>
        <translation>выбор контроллера %1</translation>
    </message>
    <message>
        <source>the handshake after selecting controller %1</source>
        <translation>установление связи после выбора контроллера %1</translation>
    </message>
    <message>
        <source>loading the package</source>
        <translation>загрузка пакета</translation>
    </message>
    <message>
        <source>checking the package</source>
        <translation>проверка пакета</translation>
    </message>
    <message>
        <source>writing the application</source>
        <translation>запись приложения</translation>
    </message>
    <message>
        <source>writing the parameter block</source>
        <translation>запись блока параметров</translation>
    </message>
    <message>
        <source>starting the application write</source>
        <translation>начало записи приложения</translation>
    </message>
    <message>
        <source>writing the application, chunk %1 of %2</source>
        <translation>запись приложения, блок %1 из %2</translation>
    </message>
    <message>
        <source>reading the parameter block</source>
        <translation>чтение блока параметров</translation>
    </message>
    <message>
        <source>reading the data segment</source>
        <translation>чтение сегмента данных</translation>
    </message>
    <message>
        <source>reading the data segment (%1 bytes)</source>
        <translation>чтение сегмента данных (байт: %1)</translation>
    </message>
    <message>
        <source>saving the data segment to its file</source>
        <translation>сохранение сегмента данных в файл</translation>
    </message>
    <message>
        <source>reading the data file</source>
        <translation>чтение файла данных</translation>
    </message>
    <message>
        <source>writing the data segment</source>
        <translation>запись сегмента данных</translation>
    </message>
    <message>
        <source>starting the data-segment write</source>
        <translation>начало записи сегмента данных</translation>
    </message>
    <message>
        <source>writing the data segment, chunk %1 of %2</source>
        <translation>запись сегмента данных, блок %1 из %2</translation>
    </message>
    <message>
        <source>saving the configuration</source>
        <translation>сохранение настроек</translation>
    </message>
    <message>
        <source>opening the operations log</source>
        <translation>открытие журнала операций</translation>
    </message>
    <message>
        <source>writing the operations log</source>
        <translation>запись в журнал операций</translation>
    </message>
    <message>
        <source>There is no device at %1.</source>
        <translation>Устройство %1 не найдено.</translation>
    </message>
    <message>
        <source>The port has no device.</source>
        <translation>За портом нет устройства.</translation>
    </message>
    <message>
        <source>There is no permission to open %1.</source>
        <translation>Нет прав на открытие %1.</translation>
    </message>
    <message>
        <source>There is no permission to open the port.</source>
        <translation>Нет прав на открытие порта.</translation>
    </message>
    <message>
        <source>%1 is in use by another program.</source>
        <translation>%1 занят другой программой.</translation>
    </message>
    <message>
        <source>The port is in use by another program.</source>
        <translation>Порт занят другой программой.</translation>
    </message>
    <message>
        <source>The port %1 went away (adapter unplugged?).</source>
        <translation>Порт %1 исчез (адаптер отключён?).</translation>
    </message>
    <message>
        <source>The port went away (adapter unplugged?).</source>
        <translation>Порт исчез (адаптер отключён?).</translation>
    </message>
    <message>
        <source>The module did not answer.</source>
        <translation>Модуль не ответил.</translation>
    </message>
    <message>
        <source>The module&apos;s reply was garbled.</source>
        <translation>Ответ модуля искажён.</translation>
    </message>
    <message>
        <source>The file %1 was refused: it is damaged or not what this operation takes.</source>
        <translation>Файл %1 отклонён: он повреждён или не подходит для этой операции.</translation>
    </message>
    <message>
        <source>The input was refused: it is damaged or not what this operation takes.</source>
        <translation>Входные данные отклонены: они повреждены или не подходят для этой операции.</translation>
    </message>
    <message>
        <source>The file %1 cannot be read or written.</source>
        <translation>Не удаётся прочитать или записать файл %1.</translation>
    </message>
    <message>
        <source>A file cannot be read or written.</source>
        <translation>Не удаётся прочитать или записать файл.</translation>
    </message>
    <message>
        <source>The operation was stopped.</source>
        <translation>Операция остановлена.</translation>
    </message>
    <message>
        <source>The system reported an error.</source>
        <translation>Система сообщила об ошибке.</translation>
    </message>
    <message>
        <source>no such file or directory</source>
        <translation>нет такого файла или каталога</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>доступ запрещён</translation>
    </message>
    <message>
        <source>operation not permitted</source>
        <translation>операция не разрешена</translation>
    </message>
    <message>
        <source>device or resource busy</source>
        <translation>устройство или ресурс занято</translation>
    </message>
    <message>
        <source>input/output error</source>
        <translation>ошибка ввода-вывода</translation>
    </message>
    <message>
        <source>no such device or address</source>
        <translation>нет такого устройства или адреса</translation>
    </message>
    <message>
        <source>no such device</source>
        <translation>нет такого устройства</translation>
    </message>
    <message>
        <source>no space left on the device</source>
        <translation>на устройстве не осталось места</translation>
    </message>
    <message>
        <source>read-only file system</source>
        <translation>файловая система только для чтения</translation>
    </message>
    <message>
        <source>it is a folder</source>
        <translation>это папка</translation>
    </message>
    <message>
        <source>a part of the path is not a folder</source>
        <translation>часть пути не является папкой</translation>
    </message>
    <message>
        <source>resource temporarily unavailable</source>
        <translation>ресурс временно недоступен</translation>
    </message>
    <message>
        <source>the other end is closed</source>
        <translation>другая сторона закрыта</translation>
    </message>
    <message>
        <source>disk quota exceeded</source>
        <translation>превышена дисковая квота</translation>
    </message>
    <message>
        <source>error %1</source>
        <translation>ошибка %1</translation>
    </message>
    <message>
        <source>Step: %1.</source>
        <translation>Шаг: %1.</translation>
    </message>
    <message>
        <source>Reply to command &quot;%1&quot;: %2 of %3 bytes received.</source>
        <translation>Ответ на команду «%1»: получено байт — %2&#xa0;из&#xa0;%3.</translation>
    </message>
    <message>
        <source>System: %1.</source>
        <translation>Система: %1.</translation>
    </message>
    <message>
        <source>%1 does not exist.</source>
        <translation>%1 не существует.</translation>
    </message>
    <message>
        <source>The shared store %1 cannot be reached.</source>
        <translation>Общее хранилище %1 недоступно.</translation>
    </message>
    <message>
        <source>The shared store cannot be reached.</source>
        <translation>Общее хранилище недоступно.</translation>
    </message>
    <message>
        <source>The shared store %1 refused the work.</source>
        <translation>Общее хранилище %1 отказалось выполнить работу.</translation>
    </message>
    <message>
        <source>The shared store refused the work.</source>
        <translation>Общее хранилище отказалось выполнить работу.</translation>
    </message>
    <message>
        <source>The shared store %1 did not accept the user name or password.</source>
        <translation>Общее хранилище %1 не приняло имя пользователя или пароль.</translation>
    </message>
    <message>
        <source>The shared store did not accept the user name or password.</source>
        <translation>Общее хранилище не приняло имя пользователя или пароль.</translation>
    </message>
    <message>
        <source>The shared store %1 is not set up for this version of Morlith.</source>
        <translation>Общее хранилище %1 не подготовлено для этой версии Morlith.</translation>
    </message>
    <message>
        <source>The shared store is not set up for this version of Morlith.</source>
        <translation>Общее хранилище не подготовлено для этой версии Morlith.</translation>
    </message>
    <message>
        <source>The shared store %1 failed.</source>
        <translation>Сбой общего хранилища %1.</translation>
    </message>
    <message>
        <source>The shared store failed.</source>
        <translation>Сбой общего хранилища.</translation>
    </message>
</context>
<context>
    <name>morlith::TFileFilter</name>
    <message>
        <source>ORVEL MCU Application|*.xml</source>
        <translation>Приложение ORVEL MCU|*.xml</translation>
    </message>
    <message>
        <source>Binary (*.bin)|*.bin</source>
        <translation>Двоичные файлы (*.bin)|*.bin</translation>
    </message>
</context>
<context>
    <name>morlith::TLoadingViewPresenter</name>
    <message>
        <source>Write error</source>
        <translation>Ошибка записи</translation>
    </message>
    <message>
        <source>Read error</source>
        <translation>Ошибка чтения</translation>
    </message>
    <message>
        <source>File exists.  Overwrite?</source>
        <translation>Файл существует.  Перезаписать?</translation>
    </message>
    <message>
        <source>Connect error</source>
        <translation>Ошибка подключения</translation>
    </message>
    <message>
        <source>Log error</source>
        <translation>Ошибка журнала</translation>
    </message>
    <message>
        <source>Holds no application</source>
        <translation>Приложения нет</translation>
    </message>
    <message>
        <source>Holds %1 bytes, CRC %2</source>
        <translation>Приложение: %1 байт, CRC %2</translation>
    </message>
    <message>
        <source>Holds the chosen package</source>
        <translation>Записан выбранный пакет</translation>
    </message>
    <message>
        <source>the chosen package</source>
        <translation>выбранный пакет</translation>
    </message>
    <message>
        <source>already current, nothing written</source>
        <translation>уже записан, запись не нужна</translation>
    </message>
</context>
<context>
    <name>morlith::TOptionsUPresenter</name>
    <message>
        <source>Save error</source>
        <translation>Ошибка сохранения</translation>
    </message>
</context>
<context>
    <name>morlith::TProgressDlg</name>
    <message>
        <source>Processing:</source>
        <translation>Выполнение:</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Ход выполнения</translation>
    </message>
</context>
<context>
    <name>morlith::TSessionEnd</name>
    <message>
        <source>Morlith is writing to a module. Ending the session now would leave the module half-written.</source>
        <translation>Morlith записывает данные в модуль. Если завершить сеанс сейчас, модуль останется записанным наполовину.</translation>
    </message>
</context>
<context>
    <name>morlith::TdlgAbout</name>
    <message>
        <source>Программное обеспечение Morlith предназначено для обновления внутреннего ПО модулей серии KEV-xxx-BUS</source>
        <translation>Программное обеспечение Morlith предназначено для обновления внутреннего ПО модулей серии KEV-xxx-BUS</translation>
    </message>
    <message>
        <source>About</source>
        <translation>О программе</translation>
    </message>
    <message>
        <source>Morlith team, 2026</source>
        <translation>Команда Morlith, 2026</translation>
    </message>
    <message>
        <source>MIT licence; the licences of all parts</source>
        <translation>Лицензия MIT; лицензии всех частей</translation>
    </message>
</context>
<context>
    <name>morlith::TdlgLoading</name>
    <message>
        <source>Loading</source>
        <translation>Загрузка</translation>
    </message>
    <message>
        <source>MCU</source>
        <translation>MCU</translation>
    </message>
    <message>
        <source>Main</source>
        <translation>Main</translation>
    </message>
    <message>
        <source>Main.Slave #1</source>
        <translation>Main.Slave #1</translation>
    </message>
    <message>
        <source>Main.Slave #2</source>
        <translation>Main.Slave #2</translation>
    </message>
    <message>
        <source>Main.Slave #3</source>
        <translation>Main.Slave #3</translation>
    </message>
    <message>
        <source>Main.Slave #4</source>
        <translation>Main.Slave #4</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>Подключить</translation>
    </message>
    <message>
        <source>Disconnect</source>
        <translation>Отключить</translation>
    </message>
    <message>
        <source>Application file</source>
        <translation>Файл приложения</translation>
    </message>
    <message>
        <source>Choose the application file</source>
        <translation>Выбрать файл приложения</translation>
    </message>
    <message>
        <source>Write</source>
        <translation>Записать</translation>
    </message>
    <message>
        <source>Write the application</source>
        <translation>Записать приложение</translation>
    </message>
    <message>
        <source>DSEG file</source>
        <translation>Файл DSEG</translation>
    </message>
    <message>
        <source>Choose the DSEG file</source>
        <translation>Выбрать файл DSEG</translation>
    </message>
    <message>
        <source>Read</source>
        <translation>Прочитать</translation>
    </message>
    <message>
        <source>Read the data segment</source>
        <translation>Прочитать сегмент данных</translation>
    </message>
    <message>
        <source>Write the data segment</source>
        <translation>Записать сегмент данных</translation>
    </message>
</context>
<context>
    <name>morlith::TdlgMain</name>
    <message>
        <source>No further page</source>
        <translation>Дальше страниц нет</translation>
    </message>
    <message>
        <source>Go to %1</source>
        <translation>Перейти: %1</translation>
    </message>
</context>
<context>
    <name>morlith::TdlgOptions</name>
    <message>
        <source>Options</source>
        <translation>Параметры</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Порт</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Сохранить</translation>
    </message>
    <message>
        <source>Save the port</source>
        <translation>Сохранить порт</translation>
    </message>
    <message>
        <source>Skip writing an application the controller already holds</source>
        <translation>Не записывать приложение, которое уже есть в контроллере</translation>
    </message>
</context>
</TS>
