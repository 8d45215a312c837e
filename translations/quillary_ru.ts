<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>AutoScanWizard</name>
    <message>
        <source>Quillary</source>
        <translation>Quillary</translation>
    </message>
</context>
<context>
    <name>BrightnessDlg</name>
    <message>
        <source>Brightness / Contrast</source>
        <translation>Яркость и контраст</translation>
    </message>
    <message>
        <source>Brightness</source>
        <translation>Яркость</translation>
    </message>
    <message>
        <source>Contrast</source>
        <translation>Контраст</translation>
    </message>
    <message>
        <source>Source Image</source>
        <translation>Исходное изображение</translation>
    </message>
    <message>
        <source>Destination Image</source>
        <translation>Результат</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>ОК</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
</context>
<context>
    <name>DestinationSettings</name>
    <message>
        <source>Document</source>
        <translation>Документ</translation>
    </message>
    <message>
        <source>Document %1</source>
        <translation>Документ %1</translation>
    </message>
</context>
<context>
    <name>DjvuGenerator</name>
    <message>
        <source>No temporary folder for the DjVu pages.</source>
        <translation>Нет временной папки для страниц DjVu.</translation>
    </message>
    <message>
        <source>djvm was not found.</source>
        <translation>Программа djvm не найдена.</translation>
    </message>
    <message>
        <source>%1 was not found.</source>
        <translation>Программа %1 не найдена.</translation>
    </message>
    <message>
        <source>There is no page to write.</source>
        <translation>Нет страниц для записи.</translation>
    </message>
    <message>
        <source>djvm did not finish.</source>
        <translation>Программа djvm не завершила работу.</translation>
    </message>
    <message>
        <source>Can&apos;t write %1: %2</source>
        <translation>Не удаётся записать %1: %2</translation>
    </message>
    <message>
        <source>The DjVu tool %1 is not installed. Install it with: apt-get install djvulibre-bin</source>
        <translation>Программа DjVu %1 не установлена. Установите её командой: apt-get install djvulibre-bin</translation>
    </message>
    <message>
        <source>%1 did not finish within %2 seconds.</source>
        <translation>Программа %1 не завершила работу за отведённое время (%2 с).</translation>
    </message>
    <message>
        <source>%1 could not be started: %2</source>
        <translation>Не удалось запустить %1: %2</translation>
    </message>
    <message>
        <source>%1 stopped unexpectedly. %2</source>
        <translation>Программа %1 неожиданно прекратила работу. %2</translation>
    </message>
    <message>
        <source>%1 failed with exit status %2. %3</source>
        <translation>Программа %1 завершилась с ошибкой (код %2). %3</translation>
    </message>
    <message>
        <source>%1 left no file %2.</source>
        <translation>Программа %1 не создала файл %2.</translation>
    </message>
</context>
<context>
    <name>DjvuProgress</name>
    <message>
        <source>Creating DjVu file.
Please wait.</source>
        <translation>Создание файла DjVu.
Пожалуйста, подождите.</translation>
    </message>
    <message>
        <source>Writing DjVu file.
Please wait.</source>
        <translation>Запись файла DjVu.
Пожалуйста, подождите.</translation>
    </message>
</context>
<context>
    <name>DocumentHistory</name>
    <message>
        <source>The removed pages could not be kept, so the removal cannot be undone.</source>
        <translation>Удалённые страницы не удалось сохранить, поэтому удаление нельзя отменить.</translation>
    </message>
    <message>
        <source>The pages have changed meanwhile; this can no longer be undone.</source>
        <translation>Страницы тем временем изменились; это действие больше нельзя отменить.</translation>
    </message>
    <message>
        <source>The pages could not be kept, so this can no longer be undone.</source>
        <translation>Страницы не удалось сохранить, поэтому это действие больше нельзя отменить.</translation>
    </message>
</context>
<context>
    <name>DocxGenerator</name>
    <message>
        <source>The Word template cannot be read.</source>
        <translation>Не удаётся прочитать шаблон Word.</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>Не удаётся записать %1: %2</translation>
    </message>
    <message>
        <source>The Word template part %1 is damaged.</source>
        <translation>Часть %1 шаблона Word повреждена.</translation>
    </message>
    <message>
        <source>Cannot write %1.</source>
        <translation>Не удаётся записать %1.</translation>
    </message>
    <message>
        <source>The Word template lacks its document.</source>
        <translation>В шаблоне Word нет основного документа.</translation>
    </message>
    <message>
        <source>The page %1 cannot be converted.</source>
        <translation>Не удаётся преобразовать страницу %1.</translation>
    </message>
    <message>
        <source>Cannot add the page %1 to %2.</source>
        <translation>Не удаётся добавить страницу %1 в %2.</translation>
    </message>
</context>
<context>
    <name>EarlierSessions</name>
    <message>
        <source>Can&apos;t create the folder %1.</source>
        <translation>Не удаётся создать папку %1.</translation>
    </message>
    <message>
        <source>Can&apos;t move the pages of the last session to %1.</source>
        <translation>Не удаётся перенести страницы прошлого сеанса в %1.</translation>
    </message>
</context>
<context>
    <name>EditHistory</name>
    <message>
        <source>Can&apos;t read %1: %2</source>
        <translation>Не удаётся прочитать %1: %2</translation>
    </message>
    <message>
        <source>Can&apos;t write %1: %2</source>
        <translation>Не удаётся записать %1: %2</translation>
    </message>
    <message>
        <source>There is no folder for temporary files.</source>
        <translation>Нет папки для временных файлов.</translation>
    </message>
</context>
<context>
    <name>ExportBaseDlg</name>
    <message>
        <source>&amp;SubFolder:</source>
        <translation>&amp;Подпапка:</translation>
    </message>
    <message>
        <source>&amp;Document Name:</source>
        <translation>&amp;Имя документа:</translation>
    </message>
    <message>
        <source>&amp;Open folder after creation</source>
        <translation>&amp;Открыть папку после создания</translation>
    </message>
    <message>
        <source>&amp;Open Word document after creation</source>
        <translation>&amp;Открыть документ Word после создания</translation>
    </message>
    <message>
        <source>&amp;Open DjVu file after creation</source>
        <translation>&amp;Открыть файл DjVu после создания</translation>
    </message>
    <message>
        <source>&amp;Open PDF document after creation</source>
        <translation>&amp;Открыть документ PDF после создания</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Параметры</translation>
    </message>
    <message>
        <source>Destination Folder:</source>
        <translation>Папка назначения:</translation>
    </message>
    <message>
        <source>Desktop</source>
        <translation>Рабочий стол</translation>
    </message>
    <message>
        <source>My Documents</source>
        <translation>Мои документы</translation>
    </message>
    <message>
        <source>Other Folder</source>
        <translation>Другая папка</translation>
    </message>
    <message>
        <source>Checked pages &amp;only</source>
        <translation>&amp;Только отмеченные страницы</translation>
    </message>
    <message>
        <source>Checked pages only</source>
        <translation>Только отмеченные страницы</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Please choose the folder to save in.</source>
        <translation>Выберите папку для сохранения.</translation>
    </message>
    <message>
        <source>Please enter a name for the sub-folder.</source>
        <translation>Введите имя подпапки.</translation>
    </message>
    <message>
        <source>Please enter a name for the document.</source>
        <translation>Введите имя документа.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be used as a name. A name may not contain &quot;/&quot; or &quot;\&quot;, nor be &quot;.&quot; or &quot;..&quot;.</source>
        <translation>«%1» нельзя использовать как имя. Имя не может содержать «/» или «\», а также быть «.» или «..».</translation>
    </message>
    <message>
        <source>Quillary</source>
        <translation>Quillary</translation>
    </message>
    <message>
        <source>%1 already exists. Do you want to replace it?</source>
        <translation>%1 уже существует. Заменить его?</translation>
    </message>
</context>
<context>
    <name>ExportDjvuDlg</name>
    <message>
        <source>Save</source>
        <translation>Сохранить</translation>
    </message>
    <message>
        <source>Export to DjVu</source>
        <translation>Экспорт в DjVu</translation>
    </message>
    <message>
        <source> %</source>
        <translation> %</translation>
    </message>
    <message>
        <source>DjVu Compression</source>
        <translation>Сжатие DjVu</translation>
    </message>
    <message>
        <source>DjVu &amp;Compression:</source>
        <translation>&amp;Сжатие DjVu:</translation>
    </message>
</context>
<context>
    <name>ExportDlg</name>
    <message>
        <source> cm</source>
        <translation> см</translation>
    </message>
    <message>
        <source>Save to PDF</source>
        <translation>Сохранить в PDF</translation>
    </message>
    <message>
        <source>Build PDF</source>
        <translation>Создать PDF</translation>
    </message>
    <message>
        <source>By Page &amp;Center</source>
        <translation>По &amp;центру страницы</translation>
    </message>
    <message>
        <source>Portrait</source>
        <translation>Книжная</translation>
    </message>
    <message>
        <source>Landscape</source>
        <translation>Альбомная</translation>
    </message>
    <message>
        <source>By dots per inch</source>
        <translation>По разрешению (точек на дюйм)</translation>
    </message>
    <message>
        <source>Stretch to fill the paper</source>
        <translation>Растянуть на весь лист</translation>
    </message>
    <message>
        <source>Stretch, keeping proportions</source>
        <translation>Растянуть с сохранением пропорций</translation>
    </message>
    <message>
        <source>&amp;Paper size:</source>
        <translation>&amp;Размер бумаги:</translation>
    </message>
    <message>
        <source>&amp;Orientation:</source>
        <translation>&amp;Ориентация:</translation>
    </message>
    <message>
        <source>&amp;Scale:</source>
        <translation>&amp;Масштаб:</translation>
    </message>
    <message>
        <source>Margins</source>
        <translation>Поля</translation>
    </message>
    <message>
        <source>Left</source>
        <translation>Слева</translation>
    </message>
    <message>
        <source>Right</source>
        <translation>Справа</translation>
    </message>
    <message>
        <source>Top</source>
        <translation>Сверху</translation>
    </message>
    <message>
        <source>Bottom</source>
        <translation>Снизу</translation>
    </message>
    <message>
        <source>Recognise text (searchable PDF)</source>
        <translation>Распознать текст (PDF с поиском)</translation>
    </message>
    <message>
        <source>&amp;Language:</source>
        <translation>&amp;Язык:</translation>
    </message>
    <message>
        <source>&amp;Compact file: sharp text, smaller pictures</source>
        <translation>&amp;Компактный файл: чёткий текст, меньшие изображения</translation>
    </message>
    <message>
        <source>P&amp;ictures:</source>
        <translation>&amp;Изображения:</translation>
    </message>
    <message>
        <source>Smallest file</source>
        <translation>Наименьший файл</translation>
    </message>
    <message>
        <source>Balanced</source>
        <translation>Сбалансированно</translation>
    </message>
    <message>
        <source>Fit for printing</source>
        <translation>Для печати</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Предпросмотр</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Назад</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Далее</translation>
    </message>
    <message>
        <source>Text cannot be recognised in %1: its recognition data are not installed (package tesseract-ocr-%2). Choose another language or install the data.</source>
        <translation>Распознавание текста на языке «%1» невозможно: данные для распознавания не установлены (пакет tesseract-ocr-%2). Выберите другой язык или установите данные.</translation>
    </message>
    <message>
        <source>Text cannot be recognised in %1: its recognition data could not be loaded.</source>
        <translation>Распознавание текста на языке «%1» невозможно: не удалось загрузить данные для распознавания.</translation>
    </message>
    <message>
        <source>Pages: %1/%2</source>
        <translation>Страницы: %1/%2</translation>
    </message>
</context>
<context>
    <name>ExportFileDlg</name>
    <message>
        <source>Save</source>
        <translation>Сохранить</translation>
    </message>
    <message>
        <source>Quality:</source>
        <translation>Качество:</translation>
    </message>
    <message>
        <source>Export to image list</source>
        <translation>Экспорт в набор изображений</translation>
    </message>
    <message>
        <source>JPEG</source>
        <translation>JPEG</translation>
    </message>
    <message>
        <source>TIFF</source>
        <translation>TIFF</translation>
    </message>
    <message>
        <source>PNG</source>
        <translation>PNG</translation>
    </message>
    <message>
        <source>BMP</source>
        <translation>BMP</translation>
    </message>
    <message>
        <source>Image Format</source>
        <translation>Формат изображений</translation>
    </message>
    <message>
        <source>Quality</source>
        <translation>Качество</translation>
    </message>
    <message>
        <source>&amp;Image Format:</source>
        <translation>&amp;Формат изображений:</translation>
    </message>
</context>
<context>
    <name>ExportWordDlg</name>
    <message>
        <source>Save</source>
        <translation>Сохранить</translation>
    </message>
    <message>
        <source>Export to Microsoft Word</source>
        <translation>Экспорт в Microsoft Word</translation>
    </message>
</context>
<context>
    <name>EzPrevScan</name>
    <message>
        <source>Scanner preview</source>
        <translation>Предварительное сканирование</translation>
    </message>
    <message>
        <source>Scanning...</source>
        <translation>Сканирование...</translation>
    </message>
    <message>
        <source>Scanning progress</source>
        <translation>Ход сканирования</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Preview — scanning...</source>
        <translation>Предпросмотр — сканирование...</translation>
    </message>
    <message>
        <source>Page %1 — scanning...</source>
        <translation>Страница %1 — сканирование...</translation>
    </message>
</context>
<context>
    <name>FolderHelpers</name>
    <message>
        <source>%1 is not a folder</source>
        <translation>%1 не является папкой</translation>
    </message>
    <message>
        <source>%1 belongs to another user</source>
        <translation>%1 принадлежит другому пользователю</translation>
    </message>
    <message>
        <source>%1 is open to other users</source>
        <translation>%1 доступна другим пользователям</translation>
    </message>
</context>
<context>
    <name>Group4Tiff</name>
    <message>
        <source>not a black-and-white picture</source>
        <translation>не чёрно-белое изображение</translation>
    </message>
</context>
<context>
    <name>ImageEditor</name>
    <message>
        <source>Page %1</source>
        <translation>Страница %1</translation>
    </message>
    <message>
        <source>Page editor</source>
        <translation>Редактор страницы</translation>
    </message>
    <message>
        <source>Page view</source>
        <translation>Просмотр страницы</translation>
    </message>
    <message>
        <source>Not enough memory to turn the page.</source>
        <translation>Недостаточно памяти, чтобы повернуть страницу.</translation>
    </message>
    <message>
        <source>Not enough memory to crop the page.</source>
        <translation>Недостаточно памяти, чтобы обрезать страницу.</translation>
    </message>
    <message>
        <source>Not enough memory to change the page.</source>
        <translation>Недостаточно памяти, чтобы изменить страницу.</translation>
    </message>
</context>
<context>
    <name>ImageFileWriter</name>
    <message>
        <source>Can&apos;t write %1: %2</source>
        <translation>Не удаётся записать %1: %2</translation>
    </message>
    <message>
        <source>the file could not be completed</source>
        <translation>файл не удалось дописать</translation>
    </message>
    <message>
        <source>No picture to write to %1.</source>
        <translation>Нет изображения для записи в %1.</translation>
    </message>
</context>
<context>
    <name>ImageListWidget</name>
    <message>
        <source>Pages</source>
        <translation>Страницы</translation>
    </message>
</context>
<context>
    <name>ImageLoading</name>
    <message>
        <source>Can&apos;t open %1: the picture&apos;s header is damaged.</source>
        <translation>Не удаётся открыть %1: заголовок изображения повреждён.</translation>
    </message>
    <message>
        <source>Can&apos;t open %1: the picture is too large (%2 x %3 pixels).</source>
        <translation>Не удаётся открыть %1: изображение слишком велико (%2 × %3 пикселей).</translation>
    </message>
    <message>
        <source>Can&apos;t open %1: the file is incomplete.</source>
        <translation>Не удаётся открыть %1: файл неполный.</translation>
    </message>
    <message>
        <source>Can&apos;t open %1: %2</source>
        <translation>Не удаётся открыть %1: %2</translation>
    </message>
    <message>
        <source>Can&apos;t open %1: it is %2.</source>
        <translation>Не удаётся открыть %1: %2.</translation>
    </message>
    <message>
        <source>Can&apos;t open %1: page %2 can&apos;t be read.</source>
        <translation>Не удаётся открыть %1: не удаётся прочитать страницу %2.</translation>
    </message>
    <message>
        <source>missing</source>
        <translation>файл отсутствует</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>это не обычный файл</translation>
    </message>
    <message>
        <source>not a picture</source>
        <translation>это не изображение</translation>
    </message>
    <message>
        <source>damaged</source>
        <translation>файл повреждён</translation>
    </message>
    <message>
        <source>too large</source>
        <translation>файл слишком велик</translation>
    </message>
    <message>
        <source>protected by a password</source>
        <translation>файл защищён паролем</translation>
    </message>
</context>
<context>
    <name>ImgProgress</name>
    <message>
        <source>Creating images.
Please wait.</source>
        <translation>Создание изображений.
Пожалуйста, подождите.</translation>
    </message>
    <message>
        <source>Writing images.
Please wait.</source>
        <translation>Запись изображений.
Пожалуйста, подождите.</translation>
    </message>
</context>
<context>
    <name>IntroPage</name>
    <message>
        <source>AutoScan</source>
        <translation>Автосканирование</translation>
    </message>
    <message>
        <source>&lt;b&gt;Quillary&lt;/b&gt; will automatically run a scan after a specified time interval.</source>
        <translation>&lt;b&gt;Quillary&lt;/b&gt; будет автоматически запускать сканирование через заданный промежуток времени.</translation>
    </message>
    <message>
        <source>Select the time interval in seconds:</source>
        <translation>Выберите промежуток времени в секундах:</translation>
    </message>
    <message>
        <source>Time interval in seconds</source>
        <translation>Промежуток времени в секундах</translation>
    </message>
    <message>
        <source>Scan first page now (don&apos;t wait)</source>
        <translation>Сканировать первую страницу сразу (не ждать)</translation>
    </message>
    <message>
        <source>Scan book reversal</source>
        <translation>Сканировать книжный разворот</translation>
    </message>
    <message>
        <source>(2 pages at once)</source>
        <translation>(2 страницы за раз)</translation>
    </message>
    <message>
        <source>Two-sided stack: the fronts, then the stack turned over for the backs</source>
        <translation>Двусторонняя стопка: сначала лицевые стороны, затем перевёрнутая стопка для оборотов</translation>
    </message>
    <message>
        <source>Needs the feeder set to acquire all available images (Settings)</source>
        <translation>Нужно, чтобы автоподатчик получал все доступные изображения (Параметры)</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>&amp;Scan &amp;&amp; PDF</source>
        <translation>&amp;Сканирование и PDF</translation>
    </message>
    <message>
        <source>&amp;Editing</source>
        <translation>&amp;Правка</translation>
    </message>
    <message>
        <source>&amp;Composition</source>
        <translation>&amp;Компоновка</translation>
    </message>
    <message>
        <source>&amp;Information</source>
        <translation>&amp;Справка</translation>
    </message>
    <message>
        <source>Select Scanner</source>
        <translation>Выбрать сканер</translation>
    </message>
    <message>
        <source>Quillary - Automatic Scan to PDF, DjVu, JPEG, TIFF, BMP, PNG</source>
        <translation>Quillary — автоматическое сканирование в PDF, DjVu, JPEG, TIFF, BMP, PNG</translation>
    </message>
    <message>
        <source>Restore Session</source>
        <translation>Восстановить сеанс</translation>
    </message>
    <message>
        <source>Color Mode</source>
        <translation>Цветовой режим</translation>
    </message>
    <message>
        <source>Scan Quality</source>
        <translation>Качество сканирования</translation>
    </message>
    <message>
        <source>Scanner:</source>
        <translation>Сканер:</translation>
    </message>
    <message>
        <source>Color Mode:</source>
        <translation>Цвет:</translation>
    </message>
    <message>
        <source>Quality:</source>
        <translation>Качество:</translation>
    </message>
    <message>
        <source>Thumbnail size</source>
        <translation>Размер миниатюр</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Готово</translation>
    </message>
    <message>
        <source>No pages</source>
        <translation>Нет страниц</translation>
    </message>
    <message>
        <source>Scanners not found.&lt;br&gt;Please plug a scanner.</source>
        <translation>Сканеры не найдены.&lt;br&gt;Подключите сканер.</translation>
    </message>
    <message>
        <source>Black-White</source>
        <translation>Чёрно-белый</translation>
    </message>
    <message>
        <source>Grayscale</source>
        <translation>Оттенки серого</translation>
    </message>
    <message>
        <source>Photo Color</source>
        <translation>Цветной</translation>
    </message>
    <message>
        <source>Middle</source>
        <translation>Среднее</translation>
    </message>
    <message>
        <source>Good</source>
        <translation>Хорошее</translation>
    </message>
    <message>
        <source>High</source>
        <translation>Высокое</translation>
    </message>
    <message>
        <source>Crop Mode</source>
        <translation>Режим обрезки</translation>
    </message>
    <message>
        <source>Accept</source>
        <translation>Применить</translation>
    </message>
    <message>
        <source>Cut the page to the red frame</source>
        <translation>Обрезать страницу по красной рамке</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Leave crop mode, the page unchanged</source>
        <translation>Выйти из режима обрезки, не меняя страницу</translation>
    </message>
    <message>
        <source>&lt;br&gt;In folder &lt;a href=&quot;%1&quot;&gt;%2&lt;/a&gt;</source>
        <translation>&lt;br&gt;В папке &lt;a href=&quot;%1&quot;&gt;%2&lt;/a&gt;</translation>
    </message>
    <message>
        <source>&lt;p&gt;&lt;h4&gt;&amp;nbsp;Quillary Message&lt;/h4&gt;&lt;/p&gt;</source>
        <translation>&lt;p&gt;&lt;h4&gt;&amp;nbsp;Сообщение Quillary&lt;/h4&gt;&lt;/p&gt;</translation>
    </message>
    <message>
        <source>PDF file was created.&lt;br&gt;Open &lt;a href=&quot;%1&quot;&gt;%2&lt;/a&gt;</source>
        <translation>Файл PDF создан.&lt;br&gt;Открыть &lt;a href=&quot;%1&quot;&gt;%2&lt;/a&gt;</translation>
    </message>
    <message>
        <source>Error while PDF file creating.&lt;br&gt;</source>
        <translation>Ошибка при создании файла PDF.&lt;br&gt;</translation>
    </message>
    <message>
        <source>Can&apos;t write file %1. Probably, file is opened or you can&apos;t write to folder.</source>
        <translation>Не удаётся записать файл %1. Возможно, файл открыт или нет прав на запись в папку.</translation>
    </message>
    <message>
        <source>Word file was created.&lt;br&gt;Open &lt;a href=&quot;%1&quot;&gt;%2&lt;/a&gt;</source>
        <translation>Файл Word создан.&lt;br&gt;Открыть &lt;a href=&quot;%1&quot;&gt;%2&lt;/a&gt;</translation>
    </message>
    <message>
        <source>Error while Word file creating.&lt;br&gt;</source>
        <translation>Ошибка при создании файла Word.&lt;br&gt;</translation>
    </message>
    <message>
        <source>DjVu file was created.&lt;br&gt;Open &lt;a href=&quot;%1&quot;&gt;%2&lt;/a&gt;</source>
        <translation>Файл DjVu создан.&lt;br&gt;Открыть &lt;a href=&quot;%1&quot;&gt;%2&lt;/a&gt;</translation>
    </message>
    <message>
        <source>Error while DjVu file creating.&lt;br&gt;</source>
        <translation>Ошибка при создании файла DjVu.&lt;br&gt;</translation>
    </message>
    <message>
        <source>Images were saved.&lt;br&gt;Open folder &lt;a href=&quot;%1&quot;&gt;%2&lt;/a&gt;</source>
        <translation>Изображения сохранены.&lt;br&gt;Открыть папку &lt;a href=&quot;%1&quot;&gt;%2&lt;/a&gt;</translation>
    </message>
    <message>
        <source>%1 of %2 images were saved; %3 could not be written.&lt;br&gt;Open folder &lt;a href=&quot;%4&quot;&gt;%5&lt;/a&gt;</source>
        <translation>Сохранено изображений: %1 из %2; не удалось записать: %3.&lt;br&gt;Открыть папку &lt;a href=&quot;%4&quot;&gt;%5&lt;/a&gt;</translation>
    </message>
    <message>
        <source>Error while Image file creating.&lt;br&gt;</source>
        <translation>Ошибка при создании файла изображения.&lt;br&gt;</translation>
    </message>
    <message>
        <source>Can&apos;t write file %1. Probably, file is opened.</source>
        <translation>Не удаётся записать файл %1. Возможно, файл открыт.</translation>
    </message>
    <message>
        <source>Checking for update</source>
        <translation>Проверка обновлений</translation>
    </message>
    <message>
        <source>The answer of the update server could not be read.</source>
        <translation>Не удалось прочитать ответ сервера обновлений.</translation>
    </message>
    <message>
        <source>ERROR!&lt;br&gt;Can&apos;t connect to the update server. Please check network settings.</source>
        <translation>ОШИБКА!&lt;br&gt;Не удаётся подключиться к серверу обновлений. Проверьте настройки сети.</translation>
    </message>
    <message>
        <source>You are using the latest version of Quillary.</source>
        <translation>У вас последняя версия Quillary.</translation>
    </message>
    <message>
        <source>Thank you for updating Quillary.&lt;p&gt;Please close the program and run the install file.</source>
        <translation>Спасибо за обновление Quillary.&lt;p&gt;Закройте программу и запустите файл установки.</translation>
    </message>
    <message>
        <source>Quillary</source>
        <translation>Quillary</translation>
    </message>
    <message>
        <source>Sorry, can&apos;t load file. Wrong file format.&lt;br&gt;%1</source>
        <translation>Не удаётся загрузить файл: неверный формат.&lt;br&gt;%1</translation>
    </message>
    <message>
        <source>&lt;br&gt;The file is %1.</source>
        <translation>&lt;br&gt;Причина: %1.</translation>
    </message>
    <message>
        <source>The page could not be saved.&lt;br&gt;%1</source>
        <translation>Не удалось сохранить страницу.&lt;br&gt;%1</translation>
    </message>
    <message>
        <source>Which way up?</source>
        <translation>Где верх?</translation>
    </message>
    <message>
        <source>Blank page?</source>
        <translation>Пустая страница?</translation>
    </message>
    <message>
        <source>&lt;br&gt;Undo brings them back.</source>
        <translation>&lt;br&gt;Отмена действия вернёт их.</translation>
    </message>
    <message>
        <source>Open Image</source>
        <translation>Открыть изображение</translation>
    </message>
    <message>
        <source>All Image Files (*.png *.jpeg *.jpg *.bmp *.tiff *.tif *.pdf);;Bitmaps (*.bmp);;TIFF Image File (*.tiff *.tif);;JPEG Image File (*.jpeg *.jpg);;PNG Image File (*.png);;PDF Document (*.pdf)</source>
        <translation>Все изображения (*.png *.jpeg *.jpg *.bmp *.tiff *.tif *.pdf);;Точечные рисунки (*.bmp);;Изображения TIFF (*.tiff *.tif);;Изображения JPEG (*.jpeg *.jpg);;Изображения PNG (*.png);;Документы PDF (*.pdf)</translation>
    </message>
    <message>
        <source>Loading %1, page %2 of %3</source>
        <translation>Загрузка %1, страница %2 из %3</translation>
    </message>
    <message>
        <source>Sorry, can&apos;t load file.&lt;br&gt;%1</source>
        <translation>Не удаётся загрузить файл.&lt;br&gt;%1</translation>
    </message>
    <message>
        <source>&lt;br&gt;The page is kept as it was found.</source>
        <translation>&lt;br&gt;Страница оставлена как есть.</translation>
    </message>
    <message>
        <source>There is no earlier session to restore.</source>
        <translation>Нет прежнего сеанса для восстановления.</translation>
    </message>
    <message>
        <source>&lt;br&gt;&quot;Restore Session&quot; brings them back; a new page puts them aside.</source>
        <translation>&lt;br&gt;«Восстановить сеанс» вернёт их; новая страница отложит их.</translation>
    </message>
    <message>
        <source>Do you want to remove the page?</source>
        <translation>Удалить страницу?</translation>
    </message>
    <message>
        <source>Do you want to remove all pages from the document?</source>
        <translation>Удалить все страницы из документа?</translation>
    </message>
    <message>
        <source>Do you want to remove all pages but current from the document?</source>
        <translation>Удалить из документа все страницы, кроме текущей?</translation>
    </message>
    <message>
        <source>Do you want to remove all checked pages from the document?</source>
        <translation>Удалить из документа все отмеченные страницы?</translation>
    </message>
    <message>
        <source>Do you want to remove all unchecked pages from the document?</source>
        <translation>Удалить из документа все неотмеченные страницы?</translation>
    </message>
    <message>
        <source>A two-sided stack has as many backs as fronts.&lt;br&gt;Check its fronts and backs (an even number of pages), or none to take every page.</source>
        <translation>В двусторонней стопке оборотов столько же, сколько лицевых сторон.&lt;br&gt;Отметьте её лицевые стороны и обороты (чётное число страниц) или не отмечайте ничего, чтобы взять все страницы.</translation>
    </message>
    <message>
        <source>No page is checked.&lt;br&gt;Check the pages to turn, or switch off &quot;Turn Checked Pages&quot; to turn the current page.</source>
        <translation>Ни одна страница не отмечена.&lt;br&gt;Отметьте страницы для поворота или выключите «Поворачивать отмеченные», чтобы повернуть текущую страницу.</translation>
    </message>
    <message>
        <source>Scanning page %1...</source>
        <translation>Сканирование страницы %1...</translation>
    </message>
    <message>
        <source>Scanning...</source>
        <translation>Сканирование...</translation>
    </message>
    <message>
        <source>Turn the stack over and put it back in the feeder: the backs come next.</source>
        <translation>Переверните стопку и снова положите её в автоподатчик: теперь сканируются обороты.</translation>
    </message>
    <message>
        <source>The backs do not pair up with the fronts: %1 fronts, %2 backs.&lt;br&gt;The pages stay in the order they were scanned.</source>
        <translation>Обороты не совпадают с лицевыми сторонами: лицевых %1, оборотов %2.&lt;br&gt;Страницы остаются в порядке сканирования.</translation>
    </message>
    <message>
        <source>The scanned page could not be read.&lt;br&gt;The scanner delivered a picture in a form Quillary cannot convert; the page was not added.</source>
        <translation>Не удалось прочитать отсканированную страницу.&lt;br&gt;Сканер передал изображение в виде, который Quillary не может преобразовать; страница не добавлена.</translation>
    </message>
    <message>
        <source>Splitting into pages...</source>
        <translation>Разделение на страницы...</translation>
    </message>
    <message>
        <source>Image processing...</source>
        <translation>Обработка изображения...</translation>
    </message>
    <message>
        <source>The spread could not be split; it was added as one unprocessed page.</source>
        <translation>Разворот не удалось разделить; он добавлен одной необработанной страницей.</translation>
    </message>
    <message>
        <source>The page could not be cleaned; it was added unprocessed.</source>
        <translation>Страницу не удалось очистить; она добавлена без обработки.</translation>
    </message>
    <message>
        <source>Scanning was cancelled.</source>
        <translation>Сканирование отменено.</translation>
    </message>
    <message numerus="yes">
        <source>%n pages</source>
        <translation>
            <numerusform>%n страница</numerusform>
            <numerusform>%n страницы</numerusform>
            <numerusform>%n страниц</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n blank pages were left out.</source>
        <translation>
            <numerusform>Пропущена %n пустая страница.</numerusform>
            <numerusform>Пропущены %n пустые страницы.</numerusform>
            <numerusform>Пропущено %n пустых страниц.</numerusform>
        </translation>
    </message>
    <message>
        <source>Fast &amp;Settings</source>
        <translation>&amp;Быстрые параметры</translation>
    </message>
    <message>
        <source>&amp;Settings</source>
        <translation>&amp;Параметры</translation>
    </message>
    <message>
        <source>Change the application settings.</source>
        <translation>Изменить параметры программы.</translation>
    </message>
    <message>
        <source>&amp;Scan</source>
        <translation>&amp;Сканирование</translation>
    </message>
    <message>
        <source>Scan &amp;Page</source>
        <translation>Сканировать &amp;страницу</translation>
    </message>
    <message>
        <source>Scan whole page. Press Space to start scanning.</source>
        <translation>Сканировать всю страницу. Нажмите Пробел, чтобы начать сканирование.</translation>
    </message>
    <message>
        <source>&amp;Auto Scan</source>
        <translation>&amp;Автосканирование</translation>
    </message>
    <message>
        <source>Start automatic scanning. The next scanning will start after a time.</source>
        <translation>Начать автоматическое сканирование. Следующее сканирование начнётся через заданное время.</translation>
    </message>
    <message>
        <source>From &amp;File</source>
        <translation>Из &amp;файла</translation>
    </message>
    <message>
        <source>Load an image from a file.</source>
        <translation>Загрузить изображение из файла.</translation>
    </message>
    <message>
        <source>&amp;Export</source>
        <translation>&amp;Экспорт</translation>
    </message>
    <message>
        <source>Build PDF &amp;Document</source>
        <translation>Создать &amp;документ PDF</translation>
    </message>
    <message>
        <source>Build the PDF document from scanned pages.</source>
        <translation>Создать документ PDF из отсканированных страниц.</translation>
    </message>
    <message>
        <source>Build DjVu &amp;File</source>
        <translation>Создать файл Dj&amp;Vu</translation>
    </message>
    <message>
        <source>Build the DjVu file from scanned pages.</source>
        <translation>Создать файл DjVu из отсканированных страниц.</translation>
    </message>
    <message>
        <source>Build &amp;Word Document</source>
        <translation>Создать документ &amp;Word</translation>
    </message>
    <message>
        <source>Build the MS Word (docx) document from scanned pages.</source>
        <translation>Создать документ MS Word (docx) из отсканированных страниц.</translation>
    </message>
    <message>
        <source>Save &amp;As Pictures</source>
        <translation>Сохранить &amp;как изображения</translation>
    </message>
    <message>
        <source>Save scanned pages to folder.</source>
        <translation>Сохранить отсканированные страницы в папку.</translation>
    </message>
    <message>
        <source>&amp;Rotate</source>
        <translation>&amp;Поворот</translation>
    </message>
    <message>
        <source>Turn &amp;Left</source>
        <translation>Повернуть &amp;влево</translation>
    </message>
    <message>
        <source>Rotate Image Left</source>
        <translation>Повернуть изображение влево</translation>
    </message>
    <message>
        <source>&amp;Turn Right</source>
        <translation>Повернуть в&amp;право</translation>
    </message>
    <message>
        <source>Rotate Image Right</source>
        <translation>Повернуть изображение вправо</translation>
    </message>
    <message>
        <source>&amp;Flip Image</source>
        <translation>Перевернуть &amp;изображение</translation>
    </message>
    <message>
        <source>Flip the Image</source>
        <translation>Перевернуть изображение</translation>
    </message>
    <message>
        <source>Turn Checked &amp;Pages</source>
        <translation>Поворачивать &amp;отмеченные</translation>
    </message>
    <message>
        <source>When on, the turn commands turn every checked page instead of the current one.</source>
        <translation>Если включено, команды поворота поворачивают все отмеченные страницы вместо текущей.</translation>
    </message>
    <message>
        <source>&amp;Zoom</source>
        <translation>&amp;Масштаб</translation>
    </message>
    <message>
        <source>Zoom &amp;In</source>
        <translation>&amp;Увеличить</translation>
    </message>
    <message>
        <source>Zoom Image In</source>
        <translation>Увеличить изображение</translation>
    </message>
    <message>
        <source>Zoom &amp;Out</source>
        <translation>У&amp;меньшить</translation>
    </message>
    <message>
        <source>Zoom Image Out</source>
        <translation>Уменьшить изображение</translation>
    </message>
    <message>
        <source>&amp;Fit to Window</source>
        <translation>По &amp;размеру окна</translation>
    </message>
    <message>
        <source>Fit Image to Window</source>
        <translation>Вписать изображение в окно</translation>
    </message>
    <message>
        <source>&amp;Correction</source>
        <translation>&amp;Коррекция</translation>
    </message>
    <message>
        <source>&amp;Crop Image</source>
        <translation>&amp;Обрезать</translation>
    </message>
    <message>
        <source>Show Frame to Crop Image</source>
        <translation>Показать рамку для обрезки изображения</translation>
    </message>
    <message>
        <source>&amp;Image Contrast</source>
        <translation>&amp;Контраст</translation>
    </message>
    <message>
        <source>Adjust Brightness</source>
        <translation>Настроить яркость</translation>
    </message>
    <message>
        <source>&amp;History</source>
        <translation>&amp;История</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Отменить</translation>
    </message>
    <message>
        <source>Take back the last change: an edit of the page shown, a removal or a move.</source>
        <translation>Отменить последнее изменение: правку показанной страницы, удаление или перемещение.</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Повторить</translation>
    </message>
    <message>
        <source>Make the change taken back again.</source>
        <translation>Снова выполнить отменённое изменение.</translation>
    </message>
    <message>
        <source>&amp;Move</source>
        <translation>&amp;Перемещение</translation>
    </message>
    <message>
        <source>Move &amp;Up</source>
        <translation>&amp;Выше</translation>
    </message>
    <message>
        <source>Move up current page in the list.</source>
        <translation>Переместить текущую страницу выше в списке.</translation>
    </message>
    <message>
        <source>Move &amp;Down</source>
        <translation>&amp;Ниже</translation>
    </message>
    <message>
        <source>Move down current page in the list.</source>
        <translation>Переместить текущую страницу ниже в списке.</translation>
    </message>
    <message>
        <source>Move to &amp;Top</source>
        <translation>В &amp;начало</translation>
    </message>
    <message>
        <source>Move current page to top of the list.</source>
        <translation>Переместить текущую страницу в начало списка.</translation>
    </message>
    <message>
        <source>Move to &amp;Bottom</source>
        <translation>В &amp;конец</translation>
    </message>
    <message>
        <source>Move current page to bottom of the list.</source>
        <translation>Переместить текущую страницу в конец списка.</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>&amp;Удаление</translation>
    </message>
    <message>
        <source>&amp;Remove Page</source>
        <translation>&amp;Удалить страницу</translation>
    </message>
    <message>
        <source>Delete current page from the list.</source>
        <translation>Удалить текущую страницу из списка.</translation>
    </message>
    <message>
        <source>&amp;Remove All Pages</source>
        <translation>Удалить &amp;все страницы</translation>
    </message>
    <message>
        <source>Delete all pages from the list.</source>
        <translation>Удалить все страницы из списка.</translation>
    </message>
    <message>
        <source>&amp;Remove All But Current</source>
        <translation>Удалить все, &amp;кроме текущей</translation>
    </message>
    <message>
        <source>Delete all but current page from the list.</source>
        <translation>Удалить из списка все страницы, кроме текущей.</translation>
    </message>
    <message>
        <source>&amp;Remove All Checked</source>
        <translation>Удалить &amp;отмеченные</translation>
    </message>
    <message>
        <source>Delete all checked pages from the list.</source>
        <translation>Удалить из списка все отмеченные страницы.</translation>
    </message>
    <message>
        <source>&amp;Remove All Unchecked</source>
        <translation>Удалить &amp;неотмеченные</translation>
    </message>
    <message>
        <source>Delete all unchecked pages from the list.</source>
        <translation>Удалить из списка все неотмеченные страницы.</translation>
    </message>
    <message>
        <source>Two-Sided &amp;Stack</source>
        <translation>Двусторонняя &amp;стопка</translation>
    </message>
    <message>
        <source>Put the fronts and then the backs of a stack (the checked pages, or all) in reading order.</source>
        <translation>Расставить лицевые стороны и затем обороты стопки (отмеченные страницы или все) в порядке чтения.</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Справка</translation>
    </message>
    <message>
        <source>Show Help</source>
        <translation>Показать справку</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>&amp;О программе</translation>
    </message>
    <message>
        <source>About Software</source>
        <translation>О программе</translation>
    </message>
    <message>
        <source>Check &amp;Updates</source>
        <translation>Проверить &amp;обновления</translation>
    </message>
    <message>
        <source>Check for updates in Internet.</source>
        <translation>Проверить наличие обновлений в Интернете.</translation>
    </message>
</context>
<context>
    <name>OcrEngine</name>
    <message>
        <source>no data for %1</source>
        <translation>нет данных для %1</translation>
    </message>
    <message>
        <source>the engine could not load %1</source>
        <translation>модуль распознавания не смог загрузить %1</translation>
    </message>
</context>
<context>
    <name>OptionsDlg</name>
    <message>
        <source>Settings</source>
        <translation>Параметры</translation>
    </message>
    <message>
        <source>Categories</source>
        <translation>Разделы</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>ОК</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
</context>
<context>
    <name>PageFileCheck</name>
    <message>
        <source>the file is missing</source>
        <translation>файл отсутствует</translation>
    </message>
    <message>
        <source>the file is empty</source>
        <translation>файл пуст</translation>
    </message>
    <message>
        <source>the file is not a picture</source>
        <translation>файл не является изображением</translation>
    </message>
    <message>
        <source>the file is incomplete</source>
        <translation>файл неполный</translation>
    </message>
    <message>
        <source>the file is damaged</source>
        <translation>файл повреждён</translation>
    </message>
    <message>
        <source>Page %1 (%2) cannot be read: %3.</source>
        <translation>Не удаётся прочитать страницу %1 (%2): %3.</translation>
    </message>
</context>
<context>
    <name>PageFolder</name>
    <message>
        <source>The page has no picture.</source>
        <translation>У страницы нет изображения.</translation>
    </message>
    <message>
        <source>Can&apos;t read %1: %2</source>
        <translation>Не удаётся прочитать %1: %2</translation>
    </message>
    <message>
        <source>Can&apos;t delete %1.</source>
        <translation>Не удаётся удалить %1.</translation>
    </message>
    <message>
        <source>Can&apos;t rename %1 to %2.</source>
        <translation>Не удаётся переименовать %1 в %2.</translation>
    </message>
    <message>
        <source>Can&apos;t move %1 out of the way.</source>
        <translation>Не удаётся убрать %1 с дороги.</translation>
    </message>
</context>
<context>
    <name>PageListWidget</name>
    <message>
        <source>Another page command is still running.</source>
        <translation>Ещё выполняется другая команда со страницами.</translation>
    </message>
    <message>
        <source>Pages</source>
        <translation>Страницы</translation>
    </message>
    <message>
        <source>Page %1</source>
        <translation>Страница %1</translation>
    </message>
    <message>
        <source>The pages have changed meanwhile.</source>
        <translation>Страницы тем временем изменились.</translation>
    </message>
    <message>
        <source>The page has no picture.</source>
        <translation>У страницы нет изображения.</translation>
    </message>
    <message>
        <source>Can&apos;t read %1: %2</source>
        <translation>Не удаётся прочитать %1: %2</translation>
    </message>
</context>
<context>
    <name>PageOrientation</name>
    <message>
        <source>no orientation data (%1)</source>
        <translation>нет данных для определения ориентации (%1)</translation>
    </message>
    <message>
        <source>the engine could not load the orientation data</source>
        <translation>модуль распознавания не смог загрузить данные для определения ориентации</translation>
    </message>
</context>
<context>
    <name>PageProcessing</name>
    <message>
        <source>The page processor could not be started: %1</source>
        <translation>Не удалось запустить обработчик страниц: %1</translation>
    </message>
    <message>
        <source>The page processor stopped unexpectedly.</source>
        <translation>Обработчик страниц неожиданно прекратил работу.</translation>
    </message>
    <message>
        <source>The page processor failed with exit status %1.</source>
        <translation>Обработчик страниц завершился с ошибкой (код %1).</translation>
    </message>
    <message>
        <source>The page processor failed: %1</source>
        <translation>Ошибка обработчика страниц: %1</translation>
    </message>
    <message>
        <source>The page processor&apos;s work folder %1 could not be emptied.</source>
        <translation>Не удалось очистить рабочую папку обработчика страниц %1.</translation>
    </message>
    <message>
        <source>The page could not be saved for the page processor: %1</source>
        <translation>Не удалось сохранить страницу для обработчика страниц: %1</translation>
    </message>
    <message>
        <source>The page processor finished without a readable result.</source>
        <translation>Обработчик страниц завершил работу, но результат не удаётся прочитать.</translation>
    </message>
    <message numerus="yes">
        <source>The page processor took longer than %n second(s) and was stopped.</source>
        <translation>
            <numerusform>Обработчик страниц работал дольше %n секунды и был остановлен.</numerusform>
            <numerusform>Обработчик страниц работал дольше %n секунд и был остановлен.</numerusform>
            <numerusform>Обработчик страниц работал дольше %n секунд и был остановлен.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>PaperSizes</name>
    <message>
        <source>A4</source>
        <translation>A4</translation>
    </message>
    <message>
        <source>Letter</source>
        <translation>Letter</translation>
    </message>
    <message>
        <source>A0</source>
        <translation>A0</translation>
    </message>
    <message>
        <source>A1</source>
        <translation>A1</translation>
    </message>
    <message>
        <source>A2</source>
        <translation>A2</translation>
    </message>
    <message>
        <source>A3</source>
        <translation>A3</translation>
    </message>
    <message>
        <source>A5</source>
        <translation>A5</translation>
    </message>
    <message>
        <source>A6</source>
        <translation>A6</translation>
    </message>
</context>
<context>
    <name>PdfPages</name>
    <message>
        <source>page %1 can&apos;t be read.</source>
        <translation>не удаётся прочитать страницу %1.</translation>
    </message>
    <message>
        <source>page %1 is too large.</source>
        <translation>страница %1 слишком велика.</translation>
    </message>
    <message>
        <source>page %1 can&apos;t be drawn.</source>
        <translation>не удаётся отрисовать страницу %1.</translation>
    </message>
    <message>
        <source>the file is damaged.</source>
        <translation>файл повреждён.</translation>
    </message>
    <message>
        <source>the file is protected by a password.</source>
        <translation>файл защищён паролем.</translation>
    </message>
    <message>
        <source>the file has no pages.</source>
        <translation>в файле нет страниц.</translation>
    </message>
    <message>
        <source>Can&apos;t open %1: %2</source>
        <translation>Не удаётся открыть %1: %2</translation>
    </message>
</context>
<context>
    <name>PdfProgress</name>
    <message>
        <source>Creating PDF document.
Please wait.</source>
        <translation>Создание документа PDF.
Пожалуйста, подождите.</translation>
    </message>
    <message>
        <source>Writing PDF document.
Please wait.</source>
        <translation>Запись документа PDF.
Пожалуйста, подождите.</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Quillary</source>
        <translation>Quillary</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Ход работы</translation>
    </message>
    <message>
        <source>Recognising text of page %1.
Please wait.</source>
        <translation>Распознавание текста страницы %1.
Пожалуйста, подождите.</translation>
    </message>
</context>
<context>
    <name>PdfWriter</name>
    <message>
        <source>it is neither a JPEG nor a TIFF page</source>
        <translation>страница не в формате JPEG или TIFF</translation>
    </message>
    <message>
        <source>the PDF library could not load it</source>
        <translation>библиотека PDF не смогла её загрузить</translation>
    </message>
</context>
<context>
    <name>PhotoGraphicsView</name>
    <message>
        <source>Page view</source>
        <translation>Просмотр страницы</translation>
    </message>
</context>
<context>
    <name>PropertyModel</name>
    <message>
        <source>Scanner</source>
        <translation>Сканер</translation>
    </message>
    <message>
        <source>Resolution</source>
        <translation>Разрешение</translation>
    </message>
</context>
<context>
    <name>PropertyPage</name>
    <message>
        <source>Default</source>
        <translation>По умолчанию</translation>
    </message>
</context>
<context>
    <name>QProgressIndicator</name>
    <message>
        <source>Working</source>
        <translation>Выполняется</translation>
    </message>
</context>
<context>
    <name>Ribbon::KeyTipLabel</name>
    <message>
        <source>Key tip %1</source>
        <translation>Клавиша %1</translation>
    </message>
</context>
<context>
    <name>Ribbon::OfficePopupWindow</name>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
</context>
<context>
    <name>Ribbon::RibbonBar</name>
    <message>
        <source>Ribbon</source>
        <translation>Лента</translation>
    </message>
    <message>
        <source>Ribbon pages</source>
        <translation>Вкладки ленты</translation>
    </message>
</context>
<context>
    <name>Ribbon::RibbonGroup</name>
    <message>
        <source>%1 options</source>
        <translation>%1: параметры</translation>
    </message>
</context>
<context>
    <name>Ribbon::RibbonPage</name>
    <message>
        <source>Scroll ribbon left</source>
        <translation>Прокрутить ленту влево</translation>
    </message>
    <message>
        <source>Scroll ribbon right</source>
        <translation>Прокрутить ленту вправо</translation>
    </message>
</context>
<context>
    <name>Ribbon::RibbonSliderPane</name>
    <message>
        <source>-</source>
        <comment>slider step button</comment>
        <translation>-</translation>
    </message>
    <message>
        <source>Decrease</source>
        <translation>Уменьшить</translation>
    </message>
    <message>
        <source>+</source>
        <comment>slider step button</comment>
        <translation>+</translation>
    </message>
    <message>
        <source>Increase</source>
        <translation>Увеличить</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Значение</translation>
    </message>
</context>
<context>
    <name>SaneStatus</name>
    <message>
        <source>The scanner finished without a problem.</source>
        <translation>Сканер завершил работу без ошибок.</translation>
    </message>
    <message>
        <source>The scanner does not support this operation.</source>
        <translation>Сканер не поддерживает эту операцию.</translation>
    </message>
    <message>
        <source>Scanning was cancelled.</source>
        <translation>Сканирование отменено.</translation>
    </message>
    <message>
        <source>The scanner is busy. Please try again in a moment.</source>
        <translation>Сканер занят. Повторите попытку через несколько секунд.</translation>
    </message>
    <message>
        <source>The scanner did not accept the scan settings.</source>
        <translation>Сканер не принял параметры сканирования.</translation>
    </message>
    <message>
        <source>The scanner has no more data for this page.</source>
        <translation>У сканера больше нет данных для этой страницы.</translation>
    </message>
    <message>
        <source>The paper is jammed in the document feeder.</source>
        <translation>Бумага застряла в автоподатчике.</translation>
    </message>
    <message>
        <source>There is no paper in the document feeder.</source>
        <translation>В автоподатчике нет бумаги.</translation>
    </message>
    <message>
        <source>The scanner cover is open.</source>
        <translation>Крышка сканера открыта.</translation>
    </message>
    <message>
        <source>The scanner cannot be reached. Please check that it is plugged in and switched on.</source>
        <translation>Нет связи со сканером. Проверьте, что он подключён и включён.</translation>
    </message>
    <message>
        <source>There is not enough memory for this scan.</source>
        <translation>Для этого сканирования недостаточно памяти.</translation>
    </message>
    <message>
        <source>Access to the scanner was denied. Please check the permissions for scanner devices.</source>
        <translation>Доступ к сканеру запрещён. Проверьте права доступа к устройствам сканирования.</translation>
    </message>
    <message>
        <source>The scanner lamp is warming up. Please try again in a moment.</source>
        <translation>Лампа сканера прогревается. Повторите попытку через несколько секунд.</translation>
    </message>
    <message>
        <source>The scanner is locked for transport. Please unlock it.</source>
        <translation>Сканер заблокирован для транспортировки. Разблокируйте его.</translation>
    </message>
    <message>
        <source>The scanner reported an unknown problem (code %1).</source>
        <translation>Сканер сообщил о неизвестной ошибке (код %1).</translation>
    </message>
</context>
<context>
    <name>ScanAreaView</name>
    <message>
        <source>Scan area</source>
        <translation>Область сканирования</translation>
    </message>
    <message>
        <source>Scanner glass</source>
        <translation>Стекло сканера</translation>
    </message>
    <message>
        <source>Put the frame around the part of the glass to scan.</source>
        <translation>Обведите рамкой часть стекла, которую нужно сканировать.</translation>
    </message>
    <message>
        <source>Scan</source>
        <translation>Сканировать</translation>
    </message>
    <message>
        <source>Scan the part in the frame</source>
        <translation>Сканировать часть в рамке</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Scan nothing</source>
        <translation>Ничего не сканировать</translation>
    </message>
</context>
<context>
    <name>ScanPage</name>
    <message>
        <source>Scanning in progress</source>
        <translation>Идёт сканирование</translation>
    </message>
    <message>
        <source>Scanned page will be added to the list</source>
        <translation>Отсканированная страница будет добавлена в список</translation>
    </message>
    <message>
        <source>Scanning in progress. Please wait. Do not open scanner cover.</source>
        <translation>Идёт сканирование. Пожалуйста, подождите. Не открывайте крышку сканера.</translation>
    </message>
    <message>
        <source>Scanning</source>
        <translation>Сканирование</translation>
    </message>
</context>
<context>
    <name>ScanResPage</name>
    <message>
        <source>Scan Resolution</source>
        <translation>Разрешение сканирования</translation>
    </message>
    <message>
        <source>dpi</source>
        <translation>точек на дюйм</translation>
    </message>
    <message>
        <source>Middle:</source>
        <translation>Среднее:</translation>
    </message>
    <message>
        <source>Good:</source>
        <translation>Хорошее:</translation>
    </message>
    <message>
        <source>High:</source>
        <translation>Высокое:</translation>
    </message>
</context>
<context>
    <name>ScannerPage</name>
    <message>
        <source>Scanner</source>
        <translation>Сканер</translation>
    </message>
    <message>
        <source>Automatic c&amp;ontrast adjustment of scanned pages</source>
        <translation>Автоматическая настройка &amp;контраста отсканированных страниц</translation>
    </message>
    <message>
        <source>Scan with &amp;preview</source>
        <translation>Сканировать с &amp;предпросмотром</translation>
    </message>
    <message>
        <source>Turn pages &amp;upright automatically</source>
        <translation>Автоматически &amp;поворачивать страницы верхом вверх</translation>
    </message>
    <message>
        <source>Leave out &amp;blank pages of a feeder run</source>
        <translation>&amp;Пропускать пустые страницы при сканировании из автоподатчика</translation>
    </message>
    <message>
        <source>You can change the scan options and select or deselect the document feeder.</source>
        <translation>Здесь можно изменить параметры сканирования и включить или выключить автоподатчик.</translation>
    </message>
    <message>
        <source>Flatbed (platen)</source>
        <translation>Планшет (стекло)</translation>
    </message>
    <message>
        <source>Automatic Feeder (ADF)</source>
        <translation>Автоподатчик (ADF)</translation>
    </message>
    <message>
        <source>Automatic Feeder, both sides (duplex)</source>
        <translation>Автоподатчик, обе стороны (дуплекс)</translation>
    </message>
    <message>
        <source>One image</source>
        <translation>Одно изображение</translation>
    </message>
    <message>
        <source>All available images</source>
        <translation>Все доступные изображения</translation>
    </message>
    <message>
        <source>Paper Source:</source>
        <translation>Источник бумаги:</translation>
    </message>
    <message>
        <source>Acquire:</source>
        <translation>Получать:</translation>
    </message>
</context>
<context>
    <name>SelectFolderWidget</name>
    <message>
        <source>&amp;Folder:</source>
        <translation>&amp;Папка:</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Папка</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Select a folder</source>
        <translation>Выберите папку</translation>
    </message>
</context>
<context>
    <name>SingleInstance</name>
    <message>
        <source>No permission to write in %1.</source>
        <translation>Нет прав на запись в %1.</translation>
    </message>
    <message>
        <source>The lock file %1 could not be made.</source>
        <translation>Не удалось создать файл блокировки %1.</translation>
    </message>
</context>
<context>
    <name>SourceSelectDlg</name>
    <message>
        <source>Select Source</source>
        <translation>Выбор источника</translation>
    </message>
    <message>
        <source>No scanner was found.</source>
        <translation>Сканер не найден.</translation>
    </message>
    <message>
        <source>&amp;Scanners:</source>
        <translation>&amp;Сканеры:</translation>
    </message>
    <message>
        <source>Scanners</source>
        <translation>Сканеры</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>ОК</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
</context>
<context>
    <name>SplashPanel</name>
    <message>
        <source>Quillary %1</source>
        <translation>Quillary %1</translation>
    </message>
    <message>
        <source>Web site: %1</source>
        <translation>Сайт: %1</translation>
    </message>
</context>
<context>
    <name>StartPanel</name>
    <message>
        <source>&amp;Restore</source>
        <translation>&amp;Восстановить</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>Восстановить</translation>
    </message>
    <message>
        <source>Restore Session</source>
        <translation>Восстановить сеанс</translation>
    </message>
    <message numerus="yes">
        <source>%n pages from your last session</source>
        <translation>
            <numerusform>%n страница из прошлого сеанса</numerusform>
            <numerusform>%n страницы из прошлого сеанса</numerusform>
            <numerusform>%n страниц из прошлого сеанса</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 earlier sessions kept; the oldest, %n pages of %2, will be removed when you start a new document.</source>
        <translation>
            <numerusform>Хранится прежних сеансов: %1; самый старый (%n страница от %2) будет удалён, когда вы начнёте новый документ.</numerusform>
            <numerusform>Хранится прежних сеансов: %1; самый старый (%n страницы от %2) будет удалён, когда вы начнёте новый документ.</numerusform>
            <numerusform>Хранится прежних сеансов: %1; самый старый (%n страниц от %2) будет удалён, когда вы начнёте новый документ.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>StartUp</name>
    <message>
        <source>Quillary</source>
        <translation>Quillary</translation>
    </message>
    <message>
        <source>Quillary is already open with these pages but does not answer.
Close that window, or end it if it hangs, and start Quillary again.</source>
        <translation>Quillary уже открыт с этими страницами, но не отвечает.
Закройте то окно (или завершите программу, если она зависла) и запустите Quillary снова.</translation>
    </message>
    <message>
        <source>Quillary can&apos;t lock its work folder, so it can&apos;t keep the pages safe.
%1</source>
        <translation>Quillary не может заблокировать свою рабочую папку и поэтому не может сохранить страницы в безопасности.
%1</translation>
    </message>
    <message>
        <source>Usage: quillary [FILE...]
Turns paper into electronic documents: scan pages or load image files and PDFs, clean
them, and export PDF, Word, DjVu or a folder of images.

  FILE...        image files and PDFs to add as pages; a window already open takes them
  -h, --help     show this help and exit
  -v, --version  show the version and exit
  --lang CODE    the language of the window, as ru or en_US, whatever the system&apos;s
  -un            the uninstall pass: no window, exit status 1 after two seconds

Documents without a window, for scripts: quillary-batch --help
</source>
        <translation>Использование: quillary [ФАЙЛ...]
Превращает бумагу в электронные документы: сканирование страниц или загрузка изображений и PDF,
очистка страниц, экспорт в PDF, Word, DjVu или папку изображений.

  ФАЙЛ...        изображения и PDF, добавляемые как страницы; уже открытое окно примет их
  -h, --help     показать эту справку и выйти
  -v, --version  показать версию и выйти
  --lang КОД     язык окна, например ru или en_US, независимо от языка системы
  -un            проход удаления: без окна, код выхода 1 через две секунды

Документы без окна, для сценариев: quillary-batch --help
</translation>
    </message>
</context>
<context>
    <name>TimerPage</name>
    <message>
        <source>Waiting</source>
        <translation>Ожидание</translation>
    </message>
    <message>
        <source>Next scan will begin soon. Change page in the scanner.&lt;br&gt;Press &lt;b&gt;SPACE&lt;/b&gt; to pause timer. Press &lt;b&gt;ENTER&lt;/b&gt; to run Scan Now.</source>
        <translation>Скоро начнётся следующее сканирование. Смените страницу в сканере.&lt;br&gt;Нажмите &lt;b&gt;ПРОБЕЛ&lt;/b&gt;, чтобы приостановить таймер. Нажмите &lt;b&gt;ENTER&lt;/b&gt;, чтобы сканировать сейчас.</translation>
    </message>
    <message>
        <source>&amp;Stop Timer</source>
        <translation>&amp;Остановить таймер</translation>
    </message>
    <message>
        <source>Scan &amp;Now &gt;</source>
        <translation>Сканировать &amp;сейчас &gt;</translation>
    </message>
    <message>
        <source>&amp;Resume Timer</source>
        <translation>&amp;Продолжить отсчёт</translation>
    </message>
    <message numerus="yes">
        <source>Next scan in %n seconds</source>
        <translation>
            <numerusform>Следующее сканирование через %n секунду</numerusform>
            <numerusform>Следующее сканирование через %n секунды</numerusform>
            <numerusform>Следующее сканирование через %n секунд</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>TwoSidedStackDlg</name>
    <message>
        <source>The stack was turned over: the &amp;backs came last sheet first</source>
        <translation>Стопку перевернули: &amp;обороты шли с последнего листа</translation>
    </message>
    <message>
        <source>The backs came in the &amp;same order as the fronts</source>
        <translation>Обороты шли в &amp;том же порядке, что и лицевые стороны</translation>
    </message>
    <message>
        <source>&amp;Turn every back upside down</source>
        <translation>&amp;Перевернуть каждый оборот вверх ногами</translation>
    </message>
    <message>
        <source>Two-Sided Stack</source>
        <translation>Двусторонняя стопка</translation>
    </message>
    <message>
        <source>%1 fronts, then %1 backs, are put in reading order.</source>
        <translation>Лицевых сторон: %1, затем оборотов: %1 — они будут расставлены в порядке чтения.</translation>
    </message>
    <message>
        <source>New order of the pages: %1</source>
        <translation>Новый порядок страниц: %1</translation>
    </message>
</context>
<context>
    <name>UpdateDlg</name>
    <message>
        <source>Quillary Updates</source>
        <translation>Обновления Quillary</translation>
    </message>
    <message>
        <source>There is a new version of Quillary</source>
        <translation>Доступна новая версия Quillary</translation>
    </message>
    <message>
        <source>Current Version: %1</source>
        <translation>Текущая версия: %1</translation>
    </message>
    <message>
        <source>New Version: %1Download: &lt;a href=&quot;%2&quot;&gt;%3&lt;/a&gt;</source>
        <translation>Новая версия: %1Скачать: &lt;a href=&quot;%2&quot;&gt;%3&lt;/a&gt;</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Скачать</translation>
    </message>
    <message>
        <source>New Version: %1&lt;p&gt;Download: &lt;a href=&quot;%2&quot;&gt;%3&lt;/a&gt;</source>
        <translation>Новая версия: %1&lt;p&gt;Скачать: &lt;a href=&quot;%2&quot;&gt;%3&lt;/a&gt;</translation>
    </message>
    <message>
        <source>New Version: %1 Download: %2</source>
        <translation>Новая версия: %1 Скачать: %2</translation>
    </message>
</context>
<context>
    <name>WordProgress</name>
    <message>
        <source>Creating MS Word document.
Please wait.</source>
        <translation>Создание документа MS Word.
Пожалуйста, подождите.</translation>
    </message>
    <message>
        <source>Writing MS Word document.
Please wait.</source>
        <translation>Запись документа MS Word.
Пожалуйста, подождите.</translation>
    </message>
</context>
</TS>
