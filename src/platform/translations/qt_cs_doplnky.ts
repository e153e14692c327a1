<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- Czech texts that Qt's own catalogue (qtbase_cs) lacks or words poorly in the print dialog.
     Loaded after it, so these win. Access keys in the dialog: &Název, &Vlastnosti,
     Výstupní &soubor, &Tisk, &Možnosti - each letter once. -->
<TS version="2.1" language="cs_CZ">
<context>
    <name>QPrintDialog</name>
    <message>
        <source>&amp;Options &gt;&gt;</source>
        <translation>&amp;Možnosti &gt;&gt;</translation>
    </message>
    <message>
        <source>&amp;Options &lt;&lt;</source>
        <translation>&amp;Možnosti &lt;&lt;</translation>
    </message>
</context>
<context>
    <name>QPrintSettingsOutput</name>
    <message>
        <source>Print range</source>
        <translation>Rozsah tisku</translation>
    </message>
    <message>
        <source>Pages</source>
        <translation>Stránky</translation>
    </message>
    <message>
        <source>Specify pages or ranges separated by commas. Ranges are specified by two numbers separated by a hyphen. E.g: 3,5-7,9 prints pages 3, 5, 6, 7 and 9.</source>
        <translation>Zadejte stránky nebo rozsahy stránek oddělené čárkami. Rozsah tvoří dvě čísla spojená pomlčkou. Např. 3,5-7,9 vytiskne stránky 3, 5, 6, 7 a 9.</translation>
    </message>
    <message>
        <source>Double Sided Printing</source>
        <translation>Oboustranný tisk</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Vypnuto</translation>
    </message>
    <message>
        <source>Long side binding</source>
        <translation>Vazba na delší straně</translation>
    </message>
    <message>
        <source>Short side binding</source>
        <translation>Vazba na kratší straně</translation>
    </message>
    <message>
        <source>Collate</source>
        <translation>Kompletovat</translation>
    </message>
</context>
<context>
    <name>QPageSetupWidget</name>
    <message>
        <source>Orientation</source>
        <translation>Orientace</translation>
    </message>
</context>
<context>
    <name>QPrintPropertiesWidget</name>
    <message>
        <source>Advanced</source>
        <translation>Rozšířené</translation>
    </message>
    <message>
        <source>There are conflicts in some options. Please fix them.</source>
        <translation>Některé volby si navzájem odporují. Opravte je, prosím.</translation>
    </message>
</context>
<context>
    <name>QCupsJobWidget</name>
    <message>
        <source>Third Shift (00:00 to 07:59)</source>
        <translation>Třetí směna (00:00 až 07:59)</translation>
    </message>
</context>
</TS>
