<?xml version="1.0" encoding="UTF-8"?>
<tileset version="1.8" tiledversion="1.8.2" name="corvane_tiles" tilewidth="16" tileheight="16" tilecount="8" columns="8">
 <image source="../../data/corvane_tiles.bmp" trans="ff80ff" width="128" height="16"/>
 <tile id="0">
  <properties>
   <property name="type" value="passable"/>
  </properties>
 </tile>
 <tile id="1">
  <properties>
   <property name="type" value="passable"/>
  </properties>
 </tile>
 <tile id="2">
  <properties>
   <property name="type" value="solid"/>
  </properties>
 </tile>
 <tile id="3">
  <properties>
   <property name="type" value="solid"/>
  </properties>
 </tile>
 <tile id="4">
  <properties>
   <property name="type" value="solid"/>
  </properties>
 </tile>
 <tile id="5">
  <properties>
   <property name="type" value="ladder"/>
  </properties>
 </tile>
 <tile id="6">
  <properties>
   <property name="type" value="passable"/>
  </properties>
 </tile>
 <tile id="7">
  <properties>
   <property name="type" value="solid"/>
  </properties>
 </tile>
</tileset>
