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
        <source>The port has no device. Check that the adapter is plugged in and that the port map links this COM name to it (~/.config/morlith/ports).</source>
        <translation>За портом нет устройства. Проверьте, что адаптер подключён и что карта портов связывает с ним это имя COM (~/.config/morlith/ports).</translation>
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
        <source>The module did not answer. Check its power and wiring, and that it is in bootloader mode.</source>
        <translation>Модуль не ответил. Проверьте питание и подключение, а также то, что модуль находится в режиме загрузчика.</translation>
    </message>
    <message>
        <source>The reply was garbled. Check the cable and that no other device shares the line.</source>
        <translation>Ответ искажён. Проверьте кабель и то, что линию не использует другое устройство.</translation>
    </message>
    <message>
        <source>The port went away. Plug the adapter in again, then connect again.</source>
        <translation>Порт исчез. Подключите адаптер снова, затем подключитесь заново.</translation>
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
</context>
</TS>
