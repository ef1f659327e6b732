<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
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
