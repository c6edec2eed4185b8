<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>Checkers</name>
    <message>
        <source>Checkers</source>
        <translation>Шашки</translation>
    </message>
    <message>
        <source>Game type:</source>
        <translation>Игра:</translation>
    </message>
    <message>
        <source>Level:</source>
        <translation>Уровень:</translation>
    </message>
    <message>
        <source>New</source>
        <translation>Новая игра</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Вернуть ход</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Настройки</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
    <message>
        <source>Hint</source>
        <translation>Подсказка</translation>
    </message>
    <message>
        <source>Moves</source>
        <translation>Ходы</translation>
    </message>
    <message>
        <source>Games</source>
        <translation>Партии</translation>
    </message>
    <message>
        <source>Puzzles</source>
        <translation>Задачи</translation>
    </message>
</context>
<context>
    <name>GameListModel</name>
    <message>
        <source>unknown rules</source>
        <translation>правила неизвестны</translation>
    </message>
    <message>
        <source>no date</source>
        <translation>без даты</translation>
    </message>
    <message numerus="yes">
        <source>%n moves</source>
        <translation>
            <numerusform>%n ход</numerusform>
            <numerusform>%n хода</numerusform>
            <numerusform>%n ходов</numerusform>
        </translation>
    </message>
    <message>
        <source>Cannot be replayed: %1</source>
        <translation>Не воспроизвести: %1</translation>
    </message>
    <message>
        <source>%1 – %2</source>
        <translation>%1 – %2</translation>
    </message>
</context>
<context>
    <name>GamesDlg</name>
    <message>
        <source>Games</source>
        <translation>Партии</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
    <message>
        <source>No games yet: every game played is kept here</source>
        <translation>Партий пока нет: здесь хранится каждая сыгранная</translation>
    </message>
    <message>
        <source>This game cannot be replayed: %1</source>
        <translation>Эту партию не воспроизвести: %1</translation>
    </message>
</context>
<context>
    <name>MovesDlg</name>
    <message>
        <source>Moves</source>
        <translation>Ходы</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
</context>
<context>
    <name>PuzzleDlg</name>
    <message>
        <source>Puzzles</source>
        <translation>Задачи</translation>
    </message>
    <message numerus="yes">
        <source>%n puzzle file(s) could not be read</source>
        <translation>
            <numerusform>%n файл задач не удалось прочитать</numerusform>
            <numerusform>%n файла задач не удалось прочитать</numerusform>
            <numerusform>%n файлов задач не удалось прочитать</numerusform>
        </translation>
    </message>
    <message>
        <source>White to play and win</source>
        <translation>Белые начинают и выигрывают</translation>
    </message>
    <message>
        <source>Black to play and win</source>
        <translation>Чёрные начинают и выигрывают</translation>
    </message>
    <message>
        <source>Solved %1, skipped %2</source>
        <translation>Решено %1, пропущено %2</translation>
    </message>
    <message>
        <source>No puzzles for this rule set</source>
        <translation>Нет задач для этих правил</translation>
    </message>
    <message>
        <source>Every puzzle is solved</source>
        <translation>Все задачи решены</translation>
    </message>
    <message>
        <source>easy</source>
        <translation>лёгкая</translation>
    </message>
    <message>
        <source>medium</source>
        <translation>средняя</translation>
    </message>
    <message>
        <source>hard</source>
        <translation>трудная</translation>
    </message>
    <message>
        <source>Puzzle %1 of %2, %3</source>
        <translation>Задача %1 из %2, %3</translation>
    </message>
    <message>
        <source>Thinking...</source>
        <translation>Думаю...</translation>
    </message>
    <message>
        <source>Not the solution</source>
        <translation>Это не решение</translation>
    </message>
    <message>
        <source>Solved</source>
        <translation>Решено</translation>
    </message>
    <message>
        <source>Return: the next puzzle</source>
        <translation>Ввод: следующая задача</translation>
    </message>
    <message>
        <source>The progress could not be saved</source>
        <translation>Успехи не удалось сохранить</translation>
    </message>
    <message>
        <source>Hint: %1</source>
        <translation>Подсказка: %1</translation>
    </message>
    <message>
        <source>Hint</source>
        <translation>Подсказка</translation>
    </message>
    <message>
        <source>Skip</source>
        <translation>Пропустить</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Назад</translation>
    </message>
</context>
<context>
    <name>QPlatformTheme</name>
    <message>
        <source>OK</source>
        <translation>ОК</translation>
    </message>
</context>
<context>
    <name>QtBoard</name>
    <message>
        <source>Game Over</source>
        <translation>Игра окончена</translation>
    </message>
    <message>
        <source>The game could not be saved</source>
        <translation>Партию не удалось сохранить</translation>
    </message>
    <message>
        <source>Review</source>
        <translation>Разбор</translation>
    </message>
</context>
<context>
    <name>ReplayDlg</name>
    <message>
        <source>Replay</source>
        <translation>Просмотр</translation>
    </message>
    <message>
        <source>Analyse</source>
        <translation>Анализ</translation>
    </message>
    <message>
        <source>Play from here</source>
        <translation>Играть отсюда</translation>
    </message>
    <message>
        <source>Moves</source>
        <translation>Ходы</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Назад</translation>
    </message>
    <message>
        <source>Move %1 of %2</source>
        <translation>Ход %1 из %2</translation>
    </message>
    <message>
        <source>Move %1 of %2: %3</source>
        <translation>Ход %1 из %2: %3</translation>
    </message>
    <message>
        <source>%1 — better %2</source>
        <translation>%1 — лучше %2</translation>
    </message>
    <message>
        <source>Analysis done</source>
        <translation>Анализ завершён</translation>
    </message>
    <message>
        <source>Analysing %1 of %2</source>
        <translation>Анализ: %1 из %2</translation>
    </message>
    <message>
        <source>Analysis cancelled</source>
        <translation>Анализ прерван</translation>
    </message>
    <message>
        <source>The game is over in this position</source>
        <translation>В этой позиции партия окончена</translation>
    </message>
</context>
<context>
    <name>SettingsDlg</name>
    <message>
        <source>Settings</source>
        <translation>Настройки</translation>
    </message>
    <message>
        <source>Rules:</source>
        <translation>Правила:</translation>
    </message>
    <message>
        <source>Level:</source>
        <translation>Уровень:</translation>
    </message>
    <message>
        <source>First move:</source>
        <translation>Первый ход:</translation>
    </message>
    <message>
        <source>Second player:</source>
        <translation>Второй игрок:</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>ОК</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Computer</source>
        <translation>Компьютер</translation>
    </message>
    <message>
        <source>Human</source>
        <translation>Человек</translation>
    </message>
    <message>
        <source>You</source>
        <translation>Вы</translation>
    </message>
    <message>
        <source>Second player</source>
        <translation>Второй игрок</translation>
    </message>
</context>
<context>
    <name>StatusLine</name>
    <message>
        <source>White to move (computer)</source>
        <translation>Ход белых (компьютер)</translation>
    </message>
    <message>
        <source>Black to move (computer)</source>
        <translation>Ход чёрных (компьютер)</translation>
    </message>
    <message>
        <source>White to move (second player)</source>
        <translation>Ход белых (второй игрок)</translation>
    </message>
    <message>
        <source>Black to move (second player)</source>
        <translation>Ход чёрных (второй игрок)</translation>
    </message>
    <message>
        <source>White to move (you)</source>
        <translation>Ход белых (вы)</translation>
    </message>
    <message>
        <source>Black to move (you)</source>
        <translation>Ход чёрных (вы)</translation>
    </message>
    <message>
        <source>Draw: the same position for the third time</source>
        <translation>Ничья: позиция повторилась в третий раз</translation>
    </message>
    <message>
        <source>Draw: 15 moves with only kings moving</source>
        <translation>Ничья: 15 ходов только дамками</translation>
    </message>
    <message>
        <source>Draw: three kings did not win against one</source>
        <translation>Ничья: три дамки не выиграли против одной</translation>
    </message>
    <message>
        <source>Draw: 40 moves without a man moving</source>
        <translation>Ничья: 40 ходов без движения простых</translation>
    </message>
    <message>
        <source>Draw: the balance did not change for 30 moves</source>
        <translation>Ничья: соотношение сил не менялось 30 ходов</translation>
    </message>
    <message>
        <source>Draw: the balance did not change for 60 moves</source>
        <translation>Ничья: соотношение сил не менялось 60 ходов</translation>
    </message>
    <message>
        <source>Draw</source>
        <translation>Ничья</translation>
    </message>
    <message>
        <source>White wins: Black cannot move</source>
        <translation>Белые выиграли: чёрным некуда ходить</translation>
    </message>
    <message>
        <source>Black wins: White cannot move</source>
        <translation>Чёрные выиграли: белым некуда ходить</translation>
    </message>
    <message>
        <source>Game over: neither side can move</source>
        <translation>Игра окончена: ходов нет ни у одной стороны</translation>
    </message>
    <message>
        <source>A capture is compulsory</source>
        <translation>Бить обязательно</translation>
    </message>
    <message>
        <source>That move is not legal</source>
        <translation>Так ходить нельзя</translation>
    </message>
    <message>
        <source>That piece cannot move</source>
        <translation>Этой шашкой ходить некуда</translation>
    </message>
    <message>
        <source>Hint: %1</source>
        <translation>Подсказка: %1</translation>
    </message>
    <message>
        <source>The game could not be saved</source>
        <translation>Партию не удалось сохранить</translation>
    </message>
    <message>
        <source>White (computer) is replying</source>
        <translation>Белые (компьютер) обдумывают ход</translation>
    </message>
    <message>
        <source>Black (computer) is replying</source>
        <translation>Чёрные (компьютер) обдумывают ход</translation>
    </message>
    <message>
        <source>White wins: Black has no pieces left</source>
        <translation>Белые выиграли: у чёрных не осталось шашек</translation>
    </message>
    <message>
        <source>Black wins: White has no pieces left</source>
        <translation>Чёрные выиграли: у белых не осталось шашек</translation>
    </message>
    <message>
        <source>White has no pieces left</source>
        <translation>У белых не осталось шашек</translation>
    </message>
    <message>
        <source>Black has no pieces left</source>
        <translation>У чёрных не осталось шашек</translation>
    </message>
    <message>
        <source>White cannot move</source>
        <translation>Белым некуда ходить</translation>
    </message>
    <message>
        <source>Black cannot move</source>
        <translation>Чёрным некуда ходить</translation>
    </message>
    <message>
        <source>White wins!</source>
        <translation>Белые выиграли!</translation>
    </message>
    <message>
        <source>Black wins!</source>
        <translation>Чёрные выиграли!</translation>
    </message>
    <message>
        <source>You win!</source>
        <translation>Вы выиграли!</translation>
    </message>
    <message>
        <source>Computer wins!</source>
        <translation>Компьютер выиграл!</translation>
    </message>
    <message>
        <source>Draw by threefold repetition!</source>
        <translation>Ничья: троекратное повторение!</translation>
    </message>
    <message>
        <source>Draw: 15 moves of kings only!</source>
        <translation>Ничья: 15 ходов только дамками!</translation>
    </message>
    <message>
        <source>Draw: three kings against one!</source>
        <translation>Ничья: три дамки против одной!</translation>
    </message>
    <message>
        <source>Draw: 40 moves without a man moving!</source>
        <translation>Ничья: 40 ходов без движения простых!</translation>
    </message>
    <message>
        <source>Draw: 30 moves without a change!</source>
        <translation>Ничья: 30 ходов без изменений!</translation>
    </message>
    <message>
        <source>Draw: 60 moves without a change!</source>
        <translation>Ничья: 60 ходов без изменений!</translation>
    </message>
    <message>
        <source>Draw!</source>
        <translation>Ничья!</translation>
    </message>
    <message>
        <source>Game Over! %1</source>
        <translation>Игра окончена! %1</translation>
    </message>
    <message>
        <source>Nobody can move!</source>
        <translation>Ходов нет ни у кого!</translation>
    </message>
    <message>
        <source>Thinking…</source>
        <translation>Думаю…</translation>
    </message>
</context>
<context>
    <name>TextProvider</name>
    <message>
        <source>Russian</source>
        <translation>Русские</translation>
    </message>
    <message>
        <source>English</source>
        <translation>Английские</translation>
    </message>
    <message>
        <source>Beginner</source>
        <translation>Начинающий</translation>
    </message>
    <message>
        <source>Novice</source>
        <translation>Новичок</translation>
    </message>
    <message>
        <source>Average</source>
        <translation>Средний</translation>
    </message>
    <message>
        <source>Good</source>
        <translation>Хороший</translation>
    </message>
    <message>
        <source>Expert</source>
        <translation>Эксперт</translation>
    </message>
    <message>
        <source>Master</source>
        <translation>Мастер</translation>
    </message>
    <message>
        <source>Grandmaster</source>
        <translation>Гроссмейстер</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Checkers</source>
        <translation>Шашки</translation>
    </message>
    <message>
        <source>The game is already open</source>
        <translation>Игра уже открыта</translation>
    </message>
</context>
</TS>
